#pragma once
// Where the program looks for its updates and who it is: the one place that names its servers.

namespace vq {

// The web server publishing the version file, and the file: its first line is the latest version
// number, its second line the SHA-256 of the published executable.
inline constexpr const char* kUpdateWebBase = "http://www.varlotte-qyr.fr";
inline constexpr const char* kVersionDocument = "maj.txt";

// The FTP server and account holding the published executable.
inline constexpr const char* kUpdateFtpBase = "ftp://ftp.varlotte-qyr.fr";
inline constexpr const char* kUpdateFtpUser = "varlotteqyr";
inline constexpr const char* kUpdateFtpPassword = "37084216";
#ifdef _WIN32
inline constexpr const char* kPublishedExecutable = "Varlotte.exe";
inline constexpr const char* kInstallerProgram = "mj.exe";
#else
inline constexpr const char* kPublishedExecutable = "Varlotte";
inline constexpr const char* kInstallerProgram = "mj";
#endif

// The program's web site and its author's address, shown in the about box and opened from the menu.
inline constexpr const char* kWebSite = "http://www.varlotte-qyr.fr";
inline constexpr const char* kWebSiteShown = "www.varlotte-qyr.fr";
inline constexpr const char* kAuthorMail = "ondine@varlotte-qyr.fr";

// Transfer time limits: the version check never waits longer than this.
inline constexpr long kCheckConnectTimeoutMs = 3000;
inline constexpr long kCheckTotalTimeoutMs = 5000;
inline constexpr long kDownloadConnectTimeoutMs = 10000;

}  // namespace vq
