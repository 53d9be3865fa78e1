#pragma once
// Where the program looks for its updates and who it is: the one place that names its servers.

namespace vq {

// The web server publishing the version file, and the file: its first line is the latest version
// number, its second line the SHA-256 of the published executable, its third the publisher's
// signature of both.
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

// Transfer limits: the version check never waits longer than this nor reads more than a few
// kilobytes; a download is given up beyond its size or time, or when nothing arrives for a while.
inline constexpr long kCheckConnectTimeoutMs = 3000;
inline constexpr long kCheckTotalTimeoutMs = 5000;
inline constexpr long long kVersionFileMaxBytes = 4096;
inline constexpr long kDownloadConnectTimeoutMs = 10000;
inline constexpr long kDownloadTotalTimeoutMs = 15 * 60 * 1000;
inline constexpr long kDownloadStallTimeoutMs = 60 * 1000;
inline constexpr long long kDownloadMaxBytes = 64LL * 1024 * 1024;
// What the program adds to a transfer's own limit before it ends an update helper that overran it.
inline constexpr long kHelperGraceMs = 3000;

}  // namespace vq
