#pragma once
// The program folder and the help path of Velmar.
//
// The program folder is where the suite's programs and the files that ship
// with them lie side by side; other parts build the paths of those files from
// it. VelmarMain sets both texts once before the application starts; they are
// read-only afterwards and may be read from any thread.
#include <QString>

namespace velmar::platform {

// Folder name and start page of the suite's HTML help beside the program.
inline constexpr const char* HelpFolderName = "help";
inline constexpr const char* HelpFileName = "Velmar_2010_Help.html";

// The part of a program path before its last separator ('/' or, in paths
// from old settings, '\\'), whatever dots the names hold; empty when the path
// holds no separator.
QString ProgramFolderOf(const QString& programPath);

// The help start page for a program folder.
QString HelpFilePathFor(const QString& programFolder);

// Records the program path for GetProgramFolder and GetHelpFilePath.
void SetProgramPath(const QString& programPath);

// The program folder and the help path of this run (empty until set).
const QString& GetProgramFolder();
const QString& GetHelpFilePath();

} // namespace velmar::platform
