// The all-articles transfer into the upload table, and the statements of one sent article
// (auction row and fee rows), on generated articles.

#include <benchmark/benchmark.h>

#include "../store/article_generator.h"
#include "db/connection.h"
#include "ports/dialogs.h"
#include "store/table.h"
#include "upload/listing_rows.h"
#include "upload/transfer.h"

namespace {

using namespace tellvaro;

class AnswerYes : public ports::Dialogs {
 public:
  void inform(const std::string&) override {}
  void error(const std::string&) override {}
  ports::Answer ask_yes_no(const std::string&) override { return ports::Answer::Yes; }
  ports::Answer ask_yes_cancel(const std::string&) override { return ports::Answer::Yes; }
  std::size_t choose(const std::string&, const std::vector<std::string>&) override { return 0; }
  std::optional<std::string> open_file(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  std::optional<std::string> save_file(const std::string&, const std::string&) override {
    return std::nullopt;
  }
};

// Generated articles lack the fields whose names hold a blank; one in ten stays incomplete.
std::vector<store::Record> articles(std::size_t count) {
  auto records = bench::generate_articles(count);
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (i % 10 != 9) store::at(records[i], store::F::Kategorie_Nummer) = store::Value::text("1111");
  }
  return records;
}

void BM_TransferAll(benchmark::State& state) {
  store::Table source;
  source.replace_all(articles(static_cast<std::size_t>(state.range(0))));
  AnswerYes dialogs;
  std::size_t lines = 0;
  for (auto _ : state) {
    store::Table uploads;
    // As the window runs it: the rows shown copied, then the transfer.
    auto run = upload::transfer_all(source.shown(), uploads, dialogs,
                                    [&](const std::string&) { ++lines; });
    benchmark::DoNotOptimize(run);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.counters["protocol_lines"] =
      benchmark::Counter(static_cast<double>(lines) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_TransferAll)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_RowStatements(benchmark::State& state) {
  const auto records = articles(100);
  db::Connection quoting;  // quotes without a server
  const catalogue::FeatureFees fees{{0.5, 0.75, 1.25, 0.1, 0.2, 0.35, 2}};
  catalogue::PaymentNames payments;
  payments.name[0] = "Überweisung";
  upload::AuctionHouseRows rows(quoting, fees, payments);
  const upload::ArticleContext c{"41",    "2006.12.04 9:05:09", "2006.12.11 09:05:09", "42",
                                 "/tmp/", {"41.jpg", "", ""}};
  std::size_t i = 0;
  for (auto _ : state) {
    const auto& a = records[i++ % records.size()];
    benchmark::DoNotOptimize(rows.fee_rows(a, c));
    benchmark::DoNotOptimize(rows.auction_row(a, c));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RowStatements)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
