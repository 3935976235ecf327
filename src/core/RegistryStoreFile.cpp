// SPDX-License-Identifier: GPL-3.0-or-later
// Finding, checking and creating the store file. A file that is not a sound store is refused
// without being written: foreign files are judged by their header before SQLite sees them, and
// a damaged store is closed without folding its write-ahead log back into it.
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/RegistrySeed.h"
#include "core/RegistryStore.h"
#include "platform/network.h"

namespace zf {
namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kApplicationId = 0x5A465247;  // "ZFRG" in the SQLite header
// For the checks before the store takes over the connection with its own busy handler.
constexpr int kBusyTimeoutMs = 10000;
constexpr std::size_t kHeaderSize = 100;
constexpr std::string_view kSqliteMagic{"SQLite format 3\0", 16};

std::string Quoted(const fs::path& path) { return "\"" + path.string() + "\""; }

std::string SystemError() { return std::strerror(errno); }

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : m_fd(fd) {}
  ~FileDescriptor() {
    if (m_fd >= 0) close(m_fd);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return m_fd; }

 private:
  int m_fd;
};

std::string FileKind(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a named pipe";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  return "not a regular file";
}

// Reads the header only, so a foreign file is never handed to SQLite (which might roll back a
// journal of another program into it). Opened as if the folder were hostile: a link is not
// followed and a named pipe is not waited on.
bool CheckHeader(const fs::path& path, std::string* error) {
  FileDescriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
  struct stat info {};
  if (file.get() < 0 && errno == ELOOP) {
    *error = Quoted(path) + " is a symbolic link, not a Zentrofast registry store; it was left untouched";
    return false;
  }
  if (file.get() < 0 || fstat(file.get(), &info) != 0) {
    *error = "cannot read the registry store " + Quoted(path) + ": " + SystemError();
    return false;
  }
  if (!S_ISREG(info.st_mode)) {
    *error =
        Quoted(path) + " is " + FileKind(info.st_mode) + ", not a Zentrofast registry store; it was left untouched";
    return false;
  }
  std::array<unsigned char, kHeaderSize> header{};
  const ssize_t length = pread(file.get(), header.data(), header.size(), 0);
  if (length != static_cast<ssize_t>(header.size()) || std::memcmp(header.data(), kSqliteMagic.data(), 16) != 0) {
    *error = Quoted(path) + " is not a Zentrofast registry store (not a SQLite database); it was left untouched";
    return false;
  }
  const std::uint32_t applicationId = (std::uint32_t{header[68]} << 24) | (std::uint32_t{header[69]} << 16) |
                                      (std::uint32_t{header[70]} << 8) | header[71];
  if (applicationId != kApplicationId) {
    *error = Quoted(path) +
             " is a SQLite database of another program, not a Zentrofast registry store; "
             "it was left untouched";
    return false;
  }
  return true;
}

// SQLite keeps its log and shared-memory files beside a store it writes.
bool FolderWritable(const fs::path& path) {
  const fs::path folder = path.parent_path();
  return access(folder.empty() ? "." : folder.c_str(), W_OK) == 0;
}

bool DiskFull(SqliteDb& db) {
  return (db.ErrorCode() & 0xFF) == SQLITE_FULL || sqlite3_system_errno(db.Handle()) == ENOSPC;
}

// Root may write any file, so the mode bits decide as well: a store nobody may write is
// read-only even for root, and one this user may not write is read-only for this user.
bool IsReadOnlyFile(const fs::path& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return true;
  return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || access(path.c_str(), W_OK) != 0;
}

// No Zentrofast process writes a read-only store, so unless a log is still pending beside it
// (left by a writer before the file became read-only), it is read as an immutable file: no lock,
// and no side files that would outlast this process with the file's read-only mode.
bool NeedsImmutableOpen(const fs::path& path) {
  std::error_code missing;
  const auto logSize = fs::file_size(path.string() + "-wal", missing);
  return missing || logSize == 0;
}

std::string ImmutableUri(const fs::path& path) {
  std::string uri = "file:";
  for (char c : path.string()) {
    if (c == '%' || c == '?' || c == '#') {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(c));
      uri += escaped;
    } else {
      uri += c;
    }
  }
  return uri + "?immutable=1";
}

bool IsDamage(int code) { return (code & 0xFF) == SQLITE_CORRUPT || (code & 0xFF) == SQLITE_NOTADB; }

bool Configure(SqliteDb& db) {
  sqlite3_busy_timeout(db.Handle(), kBusyTimeoutMs);
  return db.Execute("PRAGMA synchronous = FULL; PRAGMA foreign_keys = ON") == SQLITE_OK;
}

bool UseWriteAheadLog(SqliteDb& db) { return db.QueryText("PRAGMA journal_mode = WAL") == "wal"; }

// The first finding of an integrity check, without its heading.
std::string FirstFinding(const std::string& report) {
  std::size_t begin = 0;
  while (begin < report.size()) {
    const std::size_t end = std::min(report.find('\n', begin), report.size());
    const std::string line = report.substr(begin, end - begin);
    if (!line.empty() && !line.starts_with("***")) return line;
    begin = end + 1;
  }
  return report;
}

// The layout the file records; 0 when it cannot be read.
int Layout(SqliteDb& db) { return std::atoi(db.QueryText("PRAGMA user_version").c_str()); }

// Why the opened store cannot be used; empty when it can.
std::string Problem(SqliteDb& db, const fs::path& path) {
  const std::string check = db.QueryText("PRAGMA quick_check");
  if (check.empty() && !IsDamage(db.ErrorCode()))
    return "cannot read the registry store " + Quoted(path) + ": " + db.Error();
  if (check != "ok")
    return "the registry store " + Quoted(path) + " is corrupt (" + FirstFinding(check.empty() ? db.Error() : check) +
           "); it was left untouched";
  if (Layout(db) != RegistryStore::kLayout && Layout(db) != RegistryStore::kFirstLayout)
    return "the registry store " + Quoted(path) + " was made by another version of Zentrofast; it was left untouched";
  return {};
}

// The log and shared-memory files SQLite makes beside a store. When the store is refused, those
// it made just now go again, unless a log was written into them.
class SideFiles {
 public:
  explicit SideFiles(const fs::path& store)
      : m_log(store.string() + "-wal"),
        m_shared(store.string() + "-shm"),
        m_hadLog(fs::exists(m_log, m_ignored)),
        m_hadShared(fs::exists(m_shared, m_ignored)) {}
  void RemoveNewEmptyOnes() {
    if (m_hadLog || m_hadShared || fs::file_size(m_log, m_ignored) > 0) return;
    fs::remove(m_log, m_ignored);
    fs::remove(m_shared, m_ignored);
  }

 private:
  std::error_code m_ignored;
  fs::path m_log, m_shared;
  bool m_hadLog, m_hadShared;
};

// Opens and checks the store; why it cannot be used, or nothing.
std::string OpenChecked(SqliteDb& db, const fs::path& path, bool readOnly, bool immutable) {
  const int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX |
                    (immutable ? SQLITE_OPEN_URI : 0);
  if (db.Open(immutable ? ImmutableUri(path) : path.string(), flags) != SQLITE_OK)
    return "cannot open the registry store " + Quoted(path) + ": " + db.Error();
  Configure(db);
  std::string problem = Problem(db, path);
  if (problem.empty() && !readOnly && !UseWriteAheadLog(db))
    problem = "cannot open the registry store " + Quoted(path) + ": " + db.Error();
  return problem;
}

// Brings a store of the first layout to this one; why it could not, or nothing. The old layout's
// space is given back to the file system afterwards where it can be (a failure there costs only
// space).
std::string Upgrade(SqliteDb& db, const fs::path& path) {
  if (Layout(db) != RegistryStore::kFirstLayout) return {};
  std::string reason;
  if (!RegistryStore::UpgradeTables(db, &reason))
    return "cannot bring the registry store " + Quoted(path) + " to this version's layout (" + reason +
           "); it was left as it was";
  if (db.Execute("VACUUM") == SQLITE_OK) db.Execute("PRAGMA wal_checkpoint(TRUNCATE)");
  return {};
}

std::unique_ptr<RegistryStore> OpenExisting(const fs::path& path, std::string* error) {
  if (!CheckHeader(path, error)) return nullptr;
  bool readOnly = IsReadOnlyFile(path);
  if (!readOnly && !FolderWritable(path)) {
    *error = "cannot write the registry store " + Quoted(path) + ": its folder " + Quoted(path.parent_path()) +
             " cannot be written (the store keeps its log beside it)";
    return nullptr;
  }
  bool immutable = readOnly && NeedsImmutableOpen(path);
  SideFiles sideFiles(path);
  auto db = std::make_unique<SqliteDb>();
  std::string problem = OpenChecked(*db, path, readOnly, immutable);
  // A full disk leaves no room for the shared-memory file a writer needs: the store is still
  // read (as a file no one writes, which it is while nothing has room to write), and every write
  // is refused as "disk full".
  const bool diskFull = !problem.empty() && !readOnly && DiskFull(*db) && NeedsImmutableOpen(path);
  if (diskFull) {
    db->CloseWithoutCheckpoint();
    sideFiles.RemoveNewEmptyOnes();
    db = std::make_unique<SqliteDb>();
    readOnly = immutable = true;
    problem = OpenChecked(*db, path, readOnly, immutable);
  }
  if (problem.empty() && !readOnly) problem = Upgrade(*db, path);
  if (!problem.empty()) {
    db->CloseWithoutCheckpoint();
    sideFiles.RemoveNewEmptyOnes();
    *error = problem;
    return nullptr;
  }
  auto store = std::make_unique<RegistryStore>(std::move(db), readOnly, path);
  if (diskFull) store->RefuseWritesWith(ERROR_DISK_FULL);
  std::string reason;
  if (!store->Attach(&reason)) {
    *error = "the registry store " + Quoted(path) + " is corrupt (" + reason + ")";
    return nullptr;
  }
  return store;
}

// A new empty file beside path, with a name no one can foresee, only its owner may read and
// write whatever the umask; empty when none can be made. Closed before SQLite opens it: closing a
// second descriptor would drop SQLite's locks on the file.
fs::path CreatePrivateTempFile(const fs::path& path) {
  std::string name = path.string() + ".new-XXXXXX";
  FileDescriptor file(mkostemp(name.data(), O_CLOEXEC));
  if (file.get() < 0) return {};
  if (fchmod(file.get(), 0600) == 0) return name;
  unlink(name.c_str());
  return {};
}

// Builds a complete, seeded store in temp. It is written with a rollback journal and switched
// to the write-ahead log only at the end, so the file alone holds everything once it is closed.
bool BuildStore(const fs::path& temp, std::string* error) {
  auto db = std::make_unique<SqliteDb>();
  std::string reason;
  const std::string identity = "PRAGMA application_id = " + std::to_string(kApplicationId) +
                               "; PRAGMA user_version = " + std::to_string(RegistryStore::kLayout);
  bool ok = db->Open(temp.string(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX) == SQLITE_OK && Configure(*db) &&
            db->Execute(identity.c_str()) == SQLITE_OK;
  if (!ok) reason = db->Error();
  if (ok) ok = RegistryStore::CreateTables(*db, &reason);
  if (ok) {
    SqliteDb& connection = *db;
    RegistryStore store(std::move(db), false);
    ok = store.Attach(&reason);
    if (ok && SeedNetworkAdapters(store, NetworkInterfaceNames()) != ERROR_SUCCESS) {
      ok = false;
      reason = "cannot write the network adapter keys";
    }
    if (ok && !UseWriteAheadLog(connection)) {
      ok = false;
      reason = connection.Error();
    }
  }
  if (!ok) *error = "cannot create the registry store " + Quoted(temp) + ": " + reason;
  return ok;
}

void RemoveStoreFiles(const fs::path& path) {
  std::error_code ignored;
  for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(fs::path(path.string() + suffix), ignored);
}

void SyncFolder(const fs::path& folder) {
  FileDescriptor directory(open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (directory.get() >= 0) fsync(directory.get());
}

// Gives the finished store its name unless a store of that name appeared meanwhile, which then
// stands. A hard link where the file system has them, else a rename that replaces nothing.
bool PutInPlace(const fs::path& temp, const fs::path& path) {
  if (link(temp.c_str(), path.c_str()) == 0 || errno == EEXIST) return true;
  return renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0 || errno == EEXIST;
}

// Creates the store under a temporary name and links it into place only when complete, so a
// crash never leaves a half-made store, and of two processes creating it at once one wins.
bool CreateStore(const fs::path& path, std::string* error) {
  const fs::path folder = path.parent_path();
  std::error_code failure;
  if (!folder.empty()) fs::create_directories(folder, failure);
  if (failure) {
    *error = "cannot create the folder " + Quoted(folder) + " for the registry store: " + failure.message();
    return false;
  }
  const fs::path temp = CreatePrivateTempFile(path);
  if (temp.empty()) {
    *error = "cannot create the registry store " + Quoted(path) + ": " + SystemError();
    return false;
  }
  bool ok = BuildStore(temp, error);
  if (ok && !PutInPlace(temp, path)) {
    *error = "cannot create the registry store " + Quoted(path) + ": " + SystemError();
    ok = false;
  }
  RemoveStoreFiles(temp);
  if (ok) SyncFolder(folder);
  return ok;
}

}  // namespace

std::unique_ptr<IRegistry> OpenRegistryStore(const std::filesystem::path& file, std::string* error) {
  // Absolute, so that SQLite never takes a name beginning with "file:" for a URI.
  std::error_code noCurrentFolder;
  const fs::path path = fs::absolute(file, noCurrentFolder);
  std::string unused;
  if (error == nullptr) error = &unused;
  std::error_code ignoredFailure;  // not_found is reported as a failure too; any other shows on opening
  const bool missing = fs::symlink_status(path, ignoredFailure).type() == fs::file_type::not_found;
  if (missing && !CreateStore(path, error)) return nullptr;
  return OpenExisting(path, error);
}

}  // namespace zf
