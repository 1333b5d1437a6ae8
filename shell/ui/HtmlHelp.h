#pragma once
// Help of the suite: HTML pages that ship beside the programs in a "help"
// folder, opened in the desktop's browser. The start page is the help path
// of the program (ProgramFolder.h); the page of a command is "<id>.html" in
// the same folder.
//
// A missing page is reported once (per page) with caption "Error"; asking
// for it again fails silently, as a missing help engine did.
//
// User-interface thread only.
#include <QString>
#include <QtGlobal>

#include <functional>

class QUrl;
class QWidget;

namespace velmar::shell::ui {

// Help commands.
inline constexpr int HelpCommandTopic = 0;    // start page, or the page of the command in data
inline constexpr int HelpCommandContents = 1; // start page

// The page a request names: the start page for contents and for a topic
// request without data, "<data>.html" beside it otherwise.
QString HelpPagePath(const QString& helpPath, int command, quint64 data);

// True when the page exists and the browser was asked to show it.
bool ShowHelp(QWidget* owner, const QString& helpPath, int command, quint64 data);
// Forgets which missing pages were reported (a new help session).
void CloseHelp();

// Opens a URL with the desktop's default handler (QDesktopServices); tests
// replace it. An empty opener restores the default.
using UrlOpener = std::function<bool(const QUrl& url)>;
void setUrlOpener(UrlOpener opener);
bool OpenUrl(const QUrl& url);
// OpenUrl, and when no program takes the address (a machine without a
// desktop launcher) the operator is told so and where it is.
bool OpenUrlOrSay(QWidget* owner, const QUrl& url);

} // namespace velmar::shell::ui
