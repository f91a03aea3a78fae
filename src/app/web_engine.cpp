#include "app/web_engine.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>

namespace tellvaro::app {
namespace {

bool local_address(const QUrl& url) {
  const QString scheme = url.scheme();
  return scheme == QLatin1String("data") || scheme == QLatin1String("about");
}

// Every request of the view passes here, subresources of frames and styles included.
class LocalOnly : public QWebEngineUrlRequestInterceptor {
 public:
  using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
  void interceptRequest(QWebEngineUrlRequestInfo& info) override {
    if (!local_address(info.requestUrl())) info.block(true);
  }
};

class SealedPage : public QWebEnginePage {
 public:
  using QWebEnginePage::QWebEnginePage;

 protected:
  // Only the document the program writes itself (its own loads come as typed): no link, a
  // data: one included, no form, refresh, redirect or frame goes on.
  bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool main_frame) override {
    return main_frame && (type == NavigationTypeTyped || type == NavigationTypeReload) &&
           local_address(url);
  }
  // What the engine refused is expected here, and the program keeps no log.
  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString&, int,
                                const QString&) override {}
};

class SealedView : public QWebEngineView {
 public:
  explicit SealedView(QWidget* parent) : QWebEngineView(parent) {
    // Off the record: nothing of a description is kept on disk.
    profile_ = new QWebEngineProfile;
    profile_->setUrlRequestInterceptor(new LocalOnly(profile_));
    profile_->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
    page_ = new SealedPage(profile_);
    QWebEngineSettings* s = page_->settings();
    s->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    s->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    s->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    s->setAttribute(QWebEngineSettings::LocalStorageEnabled, false);
    s->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    s->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
    s->setAttribute(QWebEngineSettings::WebGLEnabled, false);
    s->setAttribute(QWebEngineSettings::AutoLoadIconsForPage, false);
    s->setAttribute(QWebEngineSettings::DnsPrefetchEnabled, false);
    s->setAttribute(QWebEngineSettings::HyperlinkAuditingEnabled, false);
    s->setAttribute(QWebEngineSettings::NavigateOnDropEnabled, false);
    // A link to an address no browser knows would otherwise be handed to the desktop.
    s->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);
    // Some link targets (about:blank) are followed inside the engine without asking the page:
    // a click on a link does nothing at all. The script runs in the program's own world, apart
    // from the description, whose scripts stay off.
    QWebEngineScript inert;
    inert.setName(QStringLiteral("tellvaro-inert-links"));
    inert.setInjectionPoint(QWebEngineScript::DocumentCreation);
    inert.setWorldId(QWebEngineScript::ApplicationWorld);
    inert.setRunsOnSubFrames(true);
    inert.setSourceCode(QStringLiteral(
        "for (const type of ['click', 'auxclick']) document.addEventListener(type, function (e) {"
        " for (let n = e.target; n; n = n.parentNode) {"
        "  if (n.nodeType === 1 && (n.localName === 'a' || n.localName === 'area')) {"
        "   e.preventDefault(); return; } } }, true);"));
    page_->scripts().insert(inert);
    setPage(page_);
  }
  // The page must go before its profile.
  ~SealedView() override {
    delete page_;
    delete profile_;
  }

 private:
  QWebEngineProfile* profile_ = nullptr;
  SealedPage* page_ = nullptr;
};

}  // namespace

void prepare_web_engine() {
  if (!QCoreApplication::instance()) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  }
  if (::geteuid() == 0) {
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")) {
      qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
  } else {
    qunsetenv("QTWEBENGINE_DISABLE_SANDBOX");
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (flags.contains("--no-sandbox")) {
      flags.replace("--no-sandbox", "");
      qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
    }
  }
}

QWebEngineView* make_sealed_view(QWidget* parent) { return new SealedView(parent); }

}  // namespace tellvaro::app
