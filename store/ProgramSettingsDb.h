#pragma once
// The part of the global settings block that a survey database carries with
// it: about forty fields (map, effort line, plot, input boards, display) kept
// as settings rows of UDC_Settings. User-interface thread only.
namespace velmar::store {

// Writes every mirrored field of TheProgramSettings to the open database.
void SaveSettingsToDb();
// Reads them back. A key the database lacks keeps the block's value and is
// added with it, except Map/MapFile, which then empties the block's map file.
void LoadSettingsFromDb();

} // namespace velmar::store
