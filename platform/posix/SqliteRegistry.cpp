#include "platform/posix/SqliteRegistry.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

#include "common/SystemError.h"

namespace kv {

namespace {

// Marks a database as one of our hives, so that a foreign file at the hive's place is
// recognised and left alone instead of being "repaired".
constexpr int kApplicationId = 0x4B565247;  // "KVRG"
constexpr int kSchemaVersion = 1;

// Windows limits: 255 characters per key name, 16383 per value name, 512 levels.
constexpr size_t kMaxKeyNameLength = 255;
constexpr size_t kMaxValueNameLength = 16383;
constexpr size_t kMaxKeyDepth = 512;

// Keys are stored by their full path (joined with "\", without empty parts) and their
// parent's path, so that a lookup is one indexed probe. NOCASE gives the case rules;
// "name" keeps the spelling of the key's creation for enumeration.
constexpr const char* kSchemaSql =
    "CREATE TABLE IF NOT EXISTS reg_key("
    " root INTEGER NOT NULL,"
    " path TEXT NOT NULL COLLATE NOCASE,"
    " parent TEXT NOT NULL COLLATE NOCASE,"
    " name TEXT NOT NULL COLLATE NOCASE,"
    " PRIMARY KEY(root, path)) WITHOUT ROWID;"
    "CREATE INDEX IF NOT EXISTS reg_key_parent ON reg_key(root, parent);"
    "CREATE TABLE IF NOT EXISTS reg_value("
    " root INTEGER NOT NULL,"
    " path TEXT NOT NULL COLLATE NOCASE,"
    " name TEXT NOT NULL COLLATE NOCASE,"
    " type INTEGER NOT NULL,"
    " data,"
    " PRIMARY KEY(root, path, name)) WITHOUT ROWID;"
    "PRAGMA application_id = 1263948359;"
    "PRAGMA user_version = 1;";
static_assert(kApplicationId == 1263948359, "schema text must carry the application id");

enum Statement {
  ST_SELECT_VALUE,
  ST_SELECT_KEY,
  ST_INSERT_KEY,
  ST_UPSERT_VALUE,
  ST_DELETE_VALUE,
  ST_DELETE_KEY_TREE,
  ST_DELETE_VALUE_TREE,
  ST_ENUM_SUBKEY,
  ST_BEGIN,
  ST_COMMIT,
  ST_ROLLBACK,
  ST_COUNT
};

constexpr const char* kStatementSql[ST_COUNT] = {
    "SELECT type, data FROM reg_value WHERE root = ?1 AND path = ?2 AND name = ?3",
    "SELECT 1 FROM reg_key WHERE root = ?1 AND path = ?2",
    "INSERT OR IGNORE INTO reg_key(root, path, parent, name) VALUES(?1, ?2, ?3, ?4)",
    "INSERT INTO reg_value(root, path, name, type, data) VALUES(?1, ?2, ?3, ?4, ?5)"
    " ON CONFLICT(root, path, name) DO UPDATE SET type = excluded.type, data = excluded.data",
    "DELETE FROM reg_value WHERE root = ?1 AND path = ?2 AND name = ?3",
    // "\" and "]" are neighbours and neither is a letter, so under NOCASE every descendant
    // of P sorts strictly between "P\" and "P]".
    "DELETE FROM reg_key WHERE root = ?1 AND (path = ?2 OR (path > ?3 AND path < ?4))",
    "DELETE FROM reg_value WHERE root = ?1 AND (path = ?2 OR (path > ?3 AND path < ?4))",
    // Windows orders subkeys by their upper-cased names ("AB" before "A_B").
    "SELECT name FROM reg_key WHERE root = ?1 AND parent = ?2"
    " ORDER BY upper(name), name LIMIT 1 OFFSET ?3",
    "BEGIN IMMEDIATE",
    "COMMIT",
    "ROLLBACK",
};

// The parsed form of a key argument: its components and their joined path.
struct KeyPath {
  std::vector<std::string> m_parts;
  std::string m_sPath;
};

std::string JoinParts(const std::vector<std::string>& parts, size_t count) {
  std::string path;
  for (size_t i = 0; i < count; ++i) {
    if (i) path += '\\';
    path += parts[i];
  }
  return path;
}

// Leading, trailing and doubled separators are tolerated, as the Windows API does.
bool ParseKey(const std::string& key, KeyPath* out) {
  out->m_parts.clear();
  size_t start = 0;
  while (start <= key.size()) {
    size_t end = key.find('\\', start);
    if (end == std::string::npos) end = key.size();
    if (end > start) {
      std::string part = key.substr(start, end - start);
      if (part.size() > kMaxKeyNameLength || part.find('\0') != std::string::npos) return false;
      out->m_parts.push_back(std::move(part));
      if (out->m_parts.size() > kMaxKeyDepth) return false;
    }
    start = end + 1;
  }
  out->m_sPath = JoinParts(out->m_parts, out->m_parts.size());
  return true;
}

bool ValidValueName(const std::string& name) {
  return name.size() <= kMaxValueNameLength && name.find('\0') == std::string::npos;
}

// A file: URI for the immutable fallback; only the characters that URIs give a meaning
// need escaping.
std::string FileUri(const std::string& path) {
  std::string uri = "file:";
  for (unsigned char c : path) {
    if (c == '%' || c == '?' || c == '#') {
      char buf[4];
      std::snprintf(buf, sizeof buf, "%%%02X", c);
      uri += buf;
    } else {
      uri += static_cast<char>(c);
    }
  }
  return uri + "?immutable=1";
}

std::string ParentDirectory(const std::string& path) {
  size_t cut = path.find_last_of('/');
  if (cut == std::string::npos) return ".";
  if (cut == 0) return "/";
  return path.substr(0, cut);
}

void BindText(sqlite3_stmt* stmt, int index, const std::string& text) {
  sqlite3_bind_text(stmt, index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
}

// Resets a cached statement when the scope ends, so that it never holds a read
// transaction open between calls.
class CStatementUse {
 public:
  explicit CStatementUse(sqlite3_stmt* stmt) : m_pStmt(stmt) {}
  ~CStatementUse() {
    if (m_pStmt) sqlite3_reset(m_pStmt);
  }
  CStatementUse(const CStatementUse&) = delete;
  CStatementUse& operator=(const CStatementUse&) = delete;

 private:
  sqlite3_stmt* m_pStmt;
};

bool IsDamaged(int rc) {
  int primary = rc & 0xff;
  return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

// What a WAL database answers when its shared-memory file can be neither opened nor made.
bool NeedsImmutable(int rc) {
  int primary = rc & 0xff;
  return primary == SQLITE_CANTOPEN || primary == SQLITE_READONLY;
}

uint32_t MapSqliteError(int rc) {
  switch (rc & 0xff) {
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
    case SQLITE_CANTOPEN:
      return ERROR_CODE_ACCESS_DENIED;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return ERROR_CODE_SHARING_VIOLATION;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_MISMATCH:
      return ERROR_CODE_INVALID_DATA;
    case SQLITE_NOMEM:
      return ERROR_CODE_NOT_ENOUGH_MEMORY;
    default:
      return ERROR_CODE_GEN_FAILURE;
  }
}

}  // namespace

// One hive file: its connection, its cached statements and the lock that serialises the
// threads using it.
class CSqliteRegistry::CHive {
 public:
  enum class Mode {
    READ,            // a missing file reads as absent and is not created
    WRITE,           // a missing file (and folder) is created
    MODIFY_EXISTING  // deletes: nothing to do in a missing file
  };

  CHive(std::string path, int busyTimeoutMs, const LogSink& log)
      : m_sPath(std::move(path)), m_iBusyTimeoutMs(busyTimeoutMs), m_log(log) {}
  ~CHive() { Close(); }
  CHive(const CHive&) = delete;
  CHive& operator=(const CHive&) = delete;

  std::mutex m_mutex;

  // Under m_mutex. 0 when the hive is ready. Otherwise a read gets 2 (absent, empty or
  // unusable file; Broken() tells which) and a write gets 5 or 13.
  uint32_t Prepare(Mode mode);
  bool Broken() const { return m_bBroken; }
  int LastError() const { return m_pDb ? sqlite3_errcode(m_pDb) : SQLITE_ERROR; }
  sqlite3_stmt* Stmt(Statement id);
  // Maps a failed step; a damaged database is closed and reported once.
  uint32_t Fail(int rc, bool write);
  uint32_t StepOnce(Statement id, bool write);  // BEGIN, COMMIT
  void Rollback();

 private:
  enum class FileState { MISSING, EMPTY, OURS, FOREIGN, UNREADABLE };

  FileState Inspect(std::string* reason);
  static FileState Classify(sqlite3* db, int* rc);
  bool OpenMain(bool create);
  uint32_t InitialiseSchema();
  void Close();
  void Report(const std::string& reason);

  std::string m_sPath;
  int m_iBusyTimeoutMs;
  const LogSink& m_log;
  sqlite3* m_pDb = nullptr;
  bool m_bReady = false;
  bool m_bBroken = false;
  bool m_bReported = false;
  sqlite3_stmt* m_pStmts[ST_COUNT] = {};
};

void CSqliteRegistry::CHive::Report(const std::string& reason) {
  // One line per hive and object: a service that retries every second must not flood
  // its log with the same complaint.
  if (m_bReported) return;
  m_bReported = true;
  m_log("registry: hive " + m_sPath + " " + reason + "; the file is left as it is");
}

void CSqliteRegistry::CHive::Close() {
  for (auto& stmt : m_pStmts) {
    sqlite3_finalize(stmt);
    stmt = nullptr;
  }
  if (m_pDb) sqlite3_close_v2(m_pDb);
  m_pDb = nullptr;
  m_bReady = false;
}

CSqliteRegistry::CHive::FileState CSqliteRegistry::CHive::Classify(sqlite3* db, int* rc) {
  int appId = 0, version = 0, ours = 0, total = 0;
  const char* sql =
      "SELECT (SELECT application_id FROM pragma_application_id),"
      " (SELECT user_version FROM pragma_user_version),"
      " (SELECT count(*) FROM sqlite_master WHERE type = 'table'"
      "  AND name IN ('reg_key', 'reg_value')),"
      " (SELECT count(*) FROM sqlite_master)";
  sqlite3_stmt* stmt = nullptr;
  *rc = sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
  if (*rc == SQLITE_OK) {
    *rc = sqlite3_step(stmt);
    if (*rc == SQLITE_ROW) {
      appId = sqlite3_column_int(stmt, 0);
      version = sqlite3_column_int(stmt, 1);
      ours = sqlite3_column_int(stmt, 2);
      total = sqlite3_column_int(stmt, 3);
      *rc = SQLITE_OK;
    }
  }
  sqlite3_finalize(stmt);
  if (*rc != SQLITE_OK) return IsDamaged(*rc) ? FileState::FOREIGN : FileState::UNREADABLE;
  if (appId == 0 && total == 0) return FileState::EMPTY;
  if (appId != kApplicationId || version != kSchemaVersion || ours != 2) return FileState::FOREIGN;
  // Our hives are small; checking every page once at open keeps us from writing into a
  // damaged file until the write happens to reach the bad page.
  *rc = sqlite3_prepare_v2(db, "PRAGMA quick_check(1)", -1, &stmt, nullptr);
  bool intact = false;
  if (*rc == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW) {
    const unsigned char* text = sqlite3_column_text(stmt, 0);
    intact = text && std::strcmp(reinterpret_cast<const char*>(text), "ok") == 0;
  }
  *rc = sqlite3_finalize(stmt);
  if (!intact) {
    if (*rc == SQLITE_OK || IsDamaged(*rc)) *rc = SQLITE_CORRUPT;
    return IsDamaged(*rc) ? FileState::FOREIGN : FileState::UNREADABLE;
  }
  return FileState::OURS;
}

// Looks at the file through a read-only connection that is closed again, so that even a
// foreign database in WAL mode is never checkpointed or otherwise touched by us.
CSqliteRegistry::CHive::FileState CSqliteRegistry::CHive::Inspect(std::string* reason) {
  struct stat st;
  if (stat(m_sPath.c_str(), &st) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return FileState::MISSING;
    *reason = std::string("cannot be reached (") + std::strerror(errno) + ")";
    return FileState::UNREADABLE;
  }
  if (!S_ISREG(st.st_mode)) {
    *reason = "is not a file";
    return FileState::FOREIGN;
  }
  if (st.st_size == 0) return FileState::EMPTY;
  FileState state = FileState::UNREADABLE;
  int rc = SQLITE_OK;
  for (int attempt = 0; attempt < 2; ++attempt) {
    sqlite3* db = nullptr;
    // The second attempt serves a WAL database in a folder we may not write, where the
    // shared-memory file cannot be created.
    std::string name = attempt == 0 ? m_sPath : FileUri(m_sPath);
    int flags = SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX | (attempt ? SQLITE_OPEN_URI : 0);
    rc = sqlite3_open_v2(name.c_str(), &db, flags, nullptr);
    if (rc == SQLITE_OK) state = Classify(db, &rc);
    sqlite3_close_v2(db);
    if (!NeedsImmutable(rc)) break;
  }
  if (state == FileState::FOREIGN) {
    *reason = "is damaged or not a registry database";
  } else if (state == FileState::UNREADABLE) {
    *reason = std::string("cannot be read (") + sqlite3_errstr(rc) + ")";
  }
  return state;
}

bool CSqliteRegistry::CHive::OpenMain(bool create) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    std::string name = attempt == 0 ? m_sPath : FileUri(m_sPath);
    int flags = attempt == 0
                    ? (SQLITE_OPEN_READWRITE | (create ? SQLITE_OPEN_CREATE : 0))
                    : (SQLITE_OPEN_READONLY | SQLITE_OPEN_URI);
    int rc = sqlite3_open_v2(name.c_str(), &m_pDb, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc == SQLITE_OK) {
      sqlite3_busy_timeout(m_pDb, m_iBusyTimeoutMs);
      sqlite3_exec(m_pDb, "PRAGMA synchronous = NORMAL", nullptr, nullptr, nullptr);
      // Touch the schema now: in a read-only folder a WAL database only opens immutable.
      rc = sqlite3_exec(m_pDb, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
      if (rc == SQLITE_OK) return true;
    }
    Close();
    if (!NeedsImmutable(rc)) return false;
  }
  return false;
}

uint32_t CSqliteRegistry::CHive::InitialiseSchema() {
  // WAL before the first table: readers and the other process's writers then never block
  // each other for longer than one commit. Failing here only costs concurrency.
  sqlite3_exec(m_pDb, "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr);
  int rc = sqlite3_exec(m_pDb, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) return MapSqliteError(rc);
  // Another process may have initialised the file meanwhile; look again under the lock.
  int classifyRc = SQLITE_OK;
  FileState state = Classify(m_pDb, &classifyRc);
  if (state == FileState::EMPTY) {
    rc = sqlite3_exec(m_pDb, kSchemaSql, nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) rc = sqlite3_exec(m_pDb, "COMMIT", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
      sqlite3_exec(m_pDb, "ROLLBACK", nullptr, nullptr, nullptr);
      return MapSqliteError(rc);
    }
    return ERROR_CODE_SUCCESS;
  }
  sqlite3_exec(m_pDb, "ROLLBACK", nullptr, nullptr, nullptr);
  if (state == FileState::OURS) return ERROR_CODE_SUCCESS;
  m_bBroken = true;
  Report(state == FileState::FOREIGN ? "is not a registry database" : "cannot be read");
  return state == FileState::FOREIGN ? ERROR_CODE_INVALID_DATA : ERROR_CODE_ACCESS_DENIED;
}

uint32_t CSqliteRegistry::CHive::Prepare(Mode mode) {
  if (m_bReady) return ERROR_CODE_SUCCESS;
  Close();
  bool write = mode != Mode::READ;
  std::string reason;
  FileState state = Inspect(&reason);
  // A broken file is looked at again on every call, so that a repaired or replaced file
  // is picked up without a restart.
  m_bBroken = state == FileState::FOREIGN || state == FileState::UNREADABLE;
  switch (state) {
    case FileState::MISSING:
      if (mode != Mode::WRITE) return ERROR_CODE_FILE_NOT_FOUND;
      if (!CPaths::EnsureDirectory(ParentDirectory(m_sPath))) return ERROR_CODE_ACCESS_DENIED;
      break;
    case FileState::EMPTY:
      if (mode != Mode::WRITE) return ERROR_CODE_FILE_NOT_FOUND;
      break;
    case FileState::OURS:
      break;
    case FileState::FOREIGN:
      Report(reason);
      return write ? ERROR_CODE_INVALID_DATA : ERROR_CODE_FILE_NOT_FOUND;
    case FileState::UNREADABLE:
      Report(reason);
      return write ? ERROR_CODE_ACCESS_DENIED : ERROR_CODE_FILE_NOT_FOUND;
  }
  if (!OpenMain(state != FileState::OURS)) {
    return write ? ERROR_CODE_ACCESS_DENIED : ERROR_CODE_FILE_NOT_FOUND;
  }
  if (state != FileState::OURS) {
    uint32_t rc = InitialiseSchema();
    if (rc != ERROR_CODE_SUCCESS) {
      Close();
      return rc;
    }
  }
  m_bReady = true;
  return ERROR_CODE_SUCCESS;
}

sqlite3_stmt* CSqliteRegistry::CHive::Stmt(Statement id) {
  if (!m_pStmts[id]) {
    sqlite3_prepare_v3(m_pDb, kStatementSql[id], -1, SQLITE_PREPARE_PERSISTENT, &m_pStmts[id],
                       nullptr);
  }
  return m_pStmts[id];
}

uint32_t CSqliteRegistry::CHive::Fail(int rc, bool write) {
  if (IsDamaged(rc)) {
    m_bBroken = true;
    Report("is damaged");
    Close();
    return write ? ERROR_CODE_INVALID_DATA : ERROR_CODE_FILE_NOT_FOUND;
  }
  return MapSqliteError(rc);
}

uint32_t CSqliteRegistry::CHive::StepOnce(Statement id, bool write) {
  sqlite3_stmt* stmt = Stmt(id);
  if (!stmt) return Fail(LastError(), write);
  CStatementUse use(stmt);
  int rc = sqlite3_step(stmt);
  return rc == SQLITE_DONE ? ERROR_CODE_SUCCESS : Fail(rc, write);
}

void CSqliteRegistry::CHive::Rollback() {
  if (m_pDb && !sqlite3_get_autocommit(m_pDb)) StepOnce(ST_ROLLBACK, true);
}

// ---------------------------------------------------------------------------------------

CSqliteRegistry::CSqliteRegistry(const CPaths& paths) : CSqliteRegistry(paths, Options{}) {}

CSqliteRegistry::CSqliteRegistry(const CPaths& paths, Options options)
    : CSqliteRegistry(paths.MachineHivePath(), paths.UserHivePath(), std::move(options)) {}

CSqliteRegistry::CSqliteRegistry(const std::string& machineHivePath,
                                 const std::string& userHivePath, Options options)
    : m_log(std::move(options.m_log)) {
  if (!m_log) {
    m_log = [](const std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); };
  }
  m_pMachine = std::make_unique<CHive>(machineHivePath, options.m_iBusyTimeoutMs, m_log);
  m_pUser = std::make_unique<CHive>(userHivePath, options.m_iBusyTimeoutMs, m_log);
}

CSqliteRegistry::~CSqliteRegistry() = default;

CSqliteRegistry::CHive* CSqliteRegistry::HiveOf(RegistryHive hive) {
  switch (hive) {
    case RegistryHive::LOCAL_MACHINE:
    case RegistryHive::CLASSES_ROOT:
      return m_pMachine.get();
    case RegistryHive::CURRENT_USER:
      return m_pUser.get();
  }
  return nullptr;
}

namespace {

// HKLM and HKCR share the machine file; each hive is its own root inside it.
int RootOf(RegistryHive hive) { return static_cast<int>(hive); }

}  // namespace

uint32_t CSqliteRegistry::CreateKey(RegistryHive hive, const std::string& key) {
  RegistryValue none;
  return SetValue(hive, key, std::string(), none);
}

uint32_t CSqliteRegistry::OpenKey(RegistryHive hive, const std::string& key) {
  CHive* h = HiveOf(hive);
  KeyPath path;
  if (!h || !ParseKey(key, &path)) return ERROR_CODE_INVALID_PARAMETER;
  std::lock_guard<std::mutex> lock(h->m_mutex);
  uint32_t rc = h->Prepare(CHive::Mode::READ);
  // The root of a hive always opens, even before its file exists.
  if (path.m_parts.empty()) return rc == ERROR_CODE_SUCCESS || !h->Broken() ? 0 : rc;
  if (rc != ERROR_CODE_SUCCESS) return rc;
  sqlite3_stmt* stmt = h->Stmt(ST_SELECT_KEY);
  if (!stmt) return h->Fail(h->LastError(), false);
  CStatementUse use(stmt);
  sqlite3_bind_int(stmt, 1, RootOf(hive));
  BindText(stmt, 2, path.m_sPath);
  int step = sqlite3_step(stmt);
  if (step == SQLITE_ROW) return ERROR_CODE_SUCCESS;
  if (step == SQLITE_DONE) return ERROR_CODE_FILE_NOT_FOUND;
  return h->Fail(step, false);
}

uint32_t CSqliteRegistry::QueryValue(RegistryHive hive, const std::string& key,
                                     const std::string& name, RegistryValue* value) {
  CHive* h = HiveOf(hive);
  KeyPath path;
  if (!h || !value || !ParseKey(key, &path) || !ValidValueName(name)) {
    return ERROR_CODE_INVALID_PARAMETER;
  }
  std::lock_guard<std::mutex> lock(h->m_mutex);
  if (uint32_t rc = h->Prepare(CHive::Mode::READ)) return rc;
  sqlite3_stmt* stmt = h->Stmt(ST_SELECT_VALUE);
  if (!stmt) return h->Fail(h->LastError(), false);
  CStatementUse use(stmt);
  sqlite3_bind_int(stmt, 1, RootOf(hive));
  BindText(stmt, 2, path.m_sPath);
  BindText(stmt, 3, name);
  int step = sqlite3_step(stmt);
  if (step == SQLITE_DONE) return ERROR_CODE_FILE_NOT_FOUND;
  if (step != SQLITE_ROW) return h->Fail(step, false);
  // The row came from a file: check it before trusting it.
  int64_t type = sqlite3_column_int64(stmt, 0);
  if (type == REG_TYPE_DWORD) {
    if (sqlite3_column_type(stmt, 1) != SQLITE_INTEGER) return ERROR_CODE_INVALID_DATA;
    int64_t data = sqlite3_column_int64(stmt, 1);
    if (data < 0 || data > 0xFFFFFFFFll) return ERROR_CODE_INVALID_DATA;
    value->m_uType = REG_TYPE_DWORD;
    value->m_uDword = static_cast<uint32_t>(data);
    value->m_sText.clear();
    return ERROR_CODE_SUCCESS;
  }
  if (type == REG_TYPE_SZ) {
    int columnType = sqlite3_column_type(stmt, 1);
    if (columnType != SQLITE_TEXT && columnType != SQLITE_BLOB) return ERROR_CODE_INVALID_DATA;
    const void* bytes = columnType == SQLITE_TEXT
                            ? static_cast<const void*>(sqlite3_column_text(stmt, 1))
                            : sqlite3_column_blob(stmt, 1);
    int size = sqlite3_column_bytes(stmt, 1);
    if (size < 0 || (size > 0 && !bytes)) return ERROR_CODE_NOT_ENOUGH_MEMORY;
    std::string text(static_cast<const char*>(bytes), static_cast<size_t>(size));
    // A text stored with its terminating zero (other tools do that) reads like one
    // stored without.
    size_t nul = text.find('\0');
    if (nul != std::string::npos) text.resize(nul);
    value->m_uType = REG_TYPE_SZ;
    value->m_uDword = 0;
    value->m_sText = std::move(text);
    return ERROR_CODE_SUCCESS;
  }
  return ERROR_CODE_INVALID_DATA;
}

uint32_t CSqliteRegistry::QueryDword(RegistryHive hive, const std::string& key,
                                     const std::string& name, uint32_t* value) {
  RegistryValue v;
  uint32_t rc = QueryValue(hive, key, name, &v);
  if (rc != ERROR_CODE_SUCCESS) return rc;
  if (v.m_uType != REG_TYPE_DWORD) return ERROR_CODE_INVALID_DATA;
  if (value) *value = v.m_uDword;
  return ERROR_CODE_SUCCESS;
}

uint32_t CSqliteRegistry::QueryString(RegistryHive hive, const std::string& key,
                                      const std::string& name, std::string* value) {
  RegistryValue v;
  uint32_t rc = QueryValue(hive, key, name, &v);
  if (rc != ERROR_CODE_SUCCESS) return rc;
  if (v.m_uType != REG_TYPE_SZ) return ERROR_CODE_INVALID_DATA;
  if (value) *value = std::move(v.m_sText);
  return ERROR_CODE_SUCCESS;
}

uint32_t CSqliteRegistry::SetDword(RegistryHive hive, const std::string& key,
                                   const std::string& name, uint32_t value) {
  RegistryValue v;
  v.m_uType = REG_TYPE_DWORD;
  v.m_uDword = value;
  return SetValue(hive, key, name, v);
}

uint32_t CSqliteRegistry::SetString(RegistryHive hive, const std::string& key,
                                    const std::string& name, const std::string& value) {
  RegistryValue v;
  v.m_uType = REG_TYPE_SZ;
  v.m_sText = value;
  return SetValue(hive, key, name, v);
}

// Creates the key with its parents and, unless value.m_uType is 0, sets the value: all in
// one immediate transaction, so that writers in other processes wait their turn (busy
// time-out) instead of losing a value.
uint32_t CSqliteRegistry::SetValue(RegistryHive hive, const std::string& key,
                                   const std::string& name, const RegistryValue& value) {
  CHive* h = HiveOf(hive);
  KeyPath path;
  if (!h || !ParseKey(key, &path) || !ValidValueName(name)) return ERROR_CODE_INVALID_PARAMETER;
  std::lock_guard<std::mutex> lock(h->m_mutex);
  if (uint32_t rc = h->Prepare(CHive::Mode::WRITE)) return rc;
  if (uint32_t rc = h->StepOnce(ST_BEGIN, true)) return rc;
  int root = RootOf(hive);
  int rc = SQLITE_DONE;
  sqlite3_stmt* insertKey = h->Stmt(ST_INSERT_KEY);
  if (!insertKey) rc = SQLITE_ERROR;
  std::string parent;
  for (size_t i = 1; rc == SQLITE_DONE && i <= path.m_parts.size(); ++i) {
    std::string current = JoinParts(path.m_parts, i);
    CStatementUse use(insertKey);
    sqlite3_bind_int(insertKey, 1, root);
    BindText(insertKey, 2, current);
    BindText(insertKey, 3, parent);
    BindText(insertKey, 4, path.m_parts[i - 1]);
    rc = sqlite3_step(insertKey);
    parent = std::move(current);
  }
  if (rc == SQLITE_DONE && value.m_uType != 0) {
    sqlite3_stmt* upsert = h->Stmt(ST_UPSERT_VALUE);
    if (!upsert) {
      rc = SQLITE_ERROR;
    } else {
      CStatementUse use(upsert);
      sqlite3_bind_int(upsert, 1, root);
      BindText(upsert, 2, path.m_sPath);
      BindText(upsert, 3, name);
      sqlite3_bind_int(upsert, 4, static_cast<int>(value.m_uType));
      if (value.m_uType == REG_TYPE_DWORD) {
        sqlite3_bind_int64(upsert, 5, value.m_uDword);
      } else {
        BindText(upsert, 5, value.m_sText);
      }
      rc = sqlite3_step(upsert);
    }
  }
  if (rc != SQLITE_DONE) {
    h->Rollback();
    return h->Fail(rc, true);
  }
  if (uint32_t commit = h->StepOnce(ST_COMMIT, true)) {
    h->Rollback();
    return commit;
  }
  return ERROR_CODE_SUCCESS;
}

uint32_t CSqliteRegistry::DeleteValue(RegistryHive hive, const std::string& key,
                                      const std::string& name) {
  CHive* h = HiveOf(hive);
  KeyPath path;
  if (!h || !ParseKey(key, &path) || !ValidValueName(name)) return ERROR_CODE_INVALID_PARAMETER;
  std::lock_guard<std::mutex> lock(h->m_mutex);
  if (uint32_t rc = h->Prepare(CHive::Mode::MODIFY_EXISTING)) return rc;
  sqlite3_stmt* stmt = h->Stmt(ST_DELETE_VALUE);
  if (!stmt) return h->Fail(h->LastError(), true);
  CStatementUse use(stmt);
  sqlite3_bind_int(stmt, 1, RootOf(hive));
  BindText(stmt, 2, path.m_sPath);
  BindText(stmt, 3, name);
  int rc = sqlite3_step(stmt);
  if (rc != SQLITE_DONE) return h->Fail(rc, true);
  sqlite3* db = sqlite3_db_handle(stmt);
  return sqlite3_changes(db) > 0 ? ERROR_CODE_SUCCESS : ERROR_CODE_FILE_NOT_FOUND;
}

uint32_t CSqliteRegistry::DeleteKey(RegistryHive hive, const std::string& key) {
  CHive* h = HiveOf(hive);
  KeyPath path;
  if (!h || !ParseKey(key, &path)) return ERROR_CODE_INVALID_PARAMETER;
  // A hive's root cannot be deleted.
  if (path.m_parts.empty()) return ERROR_CODE_INVALID_PARAMETER;
  std::lock_guard<std::mutex> lock(h->m_mutex);
  if (uint32_t rc = h->Prepare(CHive::Mode::MODIFY_EXISTING)) return rc;
  if (uint32_t rc = h->StepOnce(ST_BEGIN, true)) return rc;
  int root = RootOf(hive);
  int rc = SQLITE_ERROR;
  bool exists = false;
  if (sqlite3_stmt* select = h->Stmt(ST_SELECT_KEY)) {
    CStatementUse use(select);
    sqlite3_bind_int(select, 1, root);
    BindText(select, 2, path.m_sPath);
    rc = sqlite3_step(select);
    exists = rc == SQLITE_ROW;
    if (rc == SQLITE_ROW) rc = SQLITE_DONE;
  }
  std::string low = path.m_sPath + "\\";
  std::string high = path.m_sPath + "]";
  for (Statement id : {ST_DELETE_VALUE_TREE, ST_DELETE_KEY_TREE}) {
    if (rc != SQLITE_DONE || !exists) break;
    sqlite3_stmt* stmt = h->Stmt(id);
    if (!stmt) {
      rc = SQLITE_ERROR;
      break;
    }
    CStatementUse use(stmt);
    sqlite3_bind_int(stmt, 1, root);
    BindText(stmt, 2, path.m_sPath);
    BindText(stmt, 3, low);
    BindText(stmt, 4, high);
    rc = sqlite3_step(stmt);
  }
  if (rc != SQLITE_DONE) {
    h->Rollback();
    return h->Fail(rc, true);
  }
  if (!exists) {
    h->Rollback();
    return ERROR_CODE_FILE_NOT_FOUND;
  }
  if (uint32_t commit = h->StepOnce(ST_COMMIT, true)) {
    h->Rollback();
    return commit;
  }
  return ERROR_CODE_SUCCESS;
}

uint32_t CSqliteRegistry::EnumSubkey(RegistryHive hive, const std::string& key, uint32_t index,
                                     std::string* name) {
  CHive* h = HiveOf(hive);
  KeyPath path;
  if (!h || !name || !ParseKey(key, &path)) return ERROR_CODE_INVALID_PARAMETER;
  std::lock_guard<std::mutex> lock(h->m_mutex);
  uint32_t prepared = h->Prepare(CHive::Mode::READ);
  if (prepared != ERROR_CODE_SUCCESS) {
    // The root of a hive not written yet exists and is empty.
    if (path.m_parts.empty() && !h->Broken()) return ERROR_CODE_NO_MORE_ITEMS;
    return prepared;
  }
  int root = RootOf(hive);
  sqlite3_stmt* stmt = h->Stmt(ST_ENUM_SUBKEY);
  if (!stmt) return h->Fail(h->LastError(), false);
  {
    CStatementUse use(stmt);
    sqlite3_bind_int(stmt, 1, root);
    BindText(stmt, 2, path.m_sPath);
    sqlite3_bind_int64(stmt, 3, index);
    int rc = sqlite3_step(stmt);
    if (rc == SQLITE_ROW) {
      const unsigned char* text = sqlite3_column_text(stmt, 0);
      int size = sqlite3_column_bytes(stmt, 0);
      if (!text || size < 0 || static_cast<size_t>(size) > kMaxKeyNameLength) {
        return ERROR_CODE_INVALID_DATA;
      }
      name->assign(reinterpret_cast<const char*>(text), static_cast<size_t>(size));
      return ERROR_CODE_SUCCESS;
    }
    if (rc != SQLITE_DONE) return h->Fail(rc, false);
  }
  if (path.m_parts.empty()) return ERROR_CODE_NO_MORE_ITEMS;
  // Past the end of an existing key, or a key that is not there at all.
  sqlite3_stmt* select = h->Stmt(ST_SELECT_KEY);
  if (!select) return h->Fail(h->LastError(), false);
  CStatementUse use(select);
  sqlite3_bind_int(select, 1, root);
  BindText(select, 2, path.m_sPath);
  int rc = sqlite3_step(select);
  if (rc == SQLITE_ROW) return ERROR_CODE_NO_MORE_ITEMS;
  if (rc == SQLITE_DONE) return ERROR_CODE_FILE_NOT_FOUND;
  return h->Fail(rc, false);
}

}  // namespace kv
