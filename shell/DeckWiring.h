#pragma once
// The sound-file decks in the main window: the deck tabs of show data and
// offline logging, and the deck as the program clock of offline logging.
//
// User-interface thread.
namespace velmar::shell {

class DeckService;

// The deck service of the running program: a deck tab for each recorder.
DeckService& DeckTabService();

} // namespace velmar::shell
