#pragma once

// The article editor as the commands that read or change the tables see it: one port in place of
// a callback per command. What the seller typed into a control and has not left yet is not in
// the record until the editor hands it over, so every command that reads or posts the article
// table settles the editor first.

namespace tellvaro::ports {
class Dialogs;
}

namespace tellvaro::app {

class ArticleEditor;

class EditorSession {
 public:
  virtual ~EditorSession() = default;
  // Hands over what is typed and not yet in the record; false when that failed (and was shown).
  virtual bool settle() = 0;
  // Rows or fees of the upload table changed: the counters and total are painted anew.
  virtual void uploadsChanged() = 0;
};

// The session over the window's editor; a failure to hand over is shown through `dialogs`.
class ArticleEditorSession : public EditorSession {
 public:
  ArticleEditorSession(ArticleEditor& editor, ports::Dialogs& dialogs)
      : editor_(editor), dialogs_(dialogs) {}
  bool settle() override;
  void uploadsChanged() override;

 private:
  ArticleEditor& editor_;
  ports::Dialogs& dialogs_;
};

}  // namespace tellvaro::app
