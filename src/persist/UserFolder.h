#pragma once
// Where the program reads its start-up choices and writes the player's
// files. The start-up "config.ini" of the working directory names the user
// folder ([Path] GamePath, default "./") and the language ([Game] Lang,
// default "en"); both are set once at start-up and read everywhere after.
//
// Layout of the user folder: config.ini, playersname.txt, save/saveN.sav,
// captures/screenshotNNSSSS.png.

#include <string>

namespace persist {

// The start-up settings file, in the working directory.
extern const char *const kStartupIni;
const size_t kUserFolderSize = 1024;  // buffer size, terminator included
const size_t kLanguageSize = 256;
// Room kept after the folder for the longest name formed inside it, so that
// every formed path stays within kUserFolderSize - 1 characters.
const size_t kLongestUserFileName = 64;

const char *UserFolder();
const char *Language();

// Reads GamePath from the start-up file into the user folder (every '\'
// becomes '/'). A value so long that names formed in it would pass 1023
// characters is refused with a message and "./" is used. Then creates the
// directories along the path. Returns 1 when the configured folder is used.
int ReadUserFolder(const char *startupIni = kStartupIni);
// Reads Lang (at most 255 characters). Returns 1.
int ReadLanguage(const char *startupIni = kStartupIni);
// Creates the save and captures folders (and the user folder itself).
void MakeUserFolders();

// Removes what an interrupted write of ours left behind: the temporaries
// (name + "." + six letters or digits) beside config.ini, playersname.txt
// and the screenshots. Other files are never touched. Returns the count.
int RemoveLeftoverTemporaries();

// Creates every directory along path: a directory for each separator ('/'
// or '\') of the path, named by the text before it. A leading root ("",
// ".", "..", or a drive such as "C:") is never created. Returns 1 when the
// path holds a separator, else 0 and nothing is created. Failures of single
// directories (one that exists, say) are ignored.
int MakeDirectories(const char *path);

// name inside the user folder, joined with '/'.
std::string UserPath(const std::string &name);
std::string SettingsFilePath();
std::string NamesFilePath();
std::string SlotFilePath(int slot);  // save/save<slot>.sav
// "captures/screenshot<NN>" in the user folder; the image writer appends a
// four-digit serial and ".png".
std::string ScreenshotBaseName(int counter);

// Sets the two start-up values directly (tests, tools).
void SetUserFolder(const char *folder);
void SetLanguage(const char *language);

}  // namespace persist
