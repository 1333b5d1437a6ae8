#pragma once
// The sound-file decks in the main window: the deck tabs of show data and
// offline logging, and the deck as the program clock of offline logging.
//
// User-interface thread.
namespace velmar::shell {

struct MainWindowHooks;
struct MainCommandHooks;

void BindDecks(MainWindowHooks& window, MainCommandHooks& commands);

} // namespace velmar::shell
