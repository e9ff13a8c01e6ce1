// The HKEY_CURRENT_USER tree in one SQLite database. Two tables: the keys,
// by full path, and the values, by key path and name, each with its type and
// bytes. Keys exist on their own (creating a key creates every key above it),
// so an empty key is as real as on Windows.
//
// The database runs in write-ahead-log mode: a write is one transaction, so
// a crash leaves either the old or the new value, and readers in other
// processes are never blocked by a writer. Writers take the write lock at the
// start of their transaction and wait while another process holds it: at
// most one busy time-out (10 s, or TAVRIN_REGISTRY_TIMEOUT_MS) per statement,
// and inside a registry scope at most one in all, so that a store locked for
// good costs a call one time-out, not one per value.
#include "platform/registry.h"
#include "platform/registry_scope.h"

#include <sqlite3.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <thread>

namespace tavrin::platform {

namespace {

using Clock = RegistryScope::Clock;

constexpr long kBusyTimeoutMs = 10000;

// How long a use of the store waits for other programs' locks.
std::chrono::milliseconds BusyTimeout() {
    if (const char* text = std::getenv("TAVRIN_REGISTRY_TIMEOUT_MS"); text && *text) {
        char* end = nullptr;
        const long value = std::strtol(text, &end, 10);
        if (*end == '\0' && value >= 0 && value <= 24L * 3600 * 1000)
            return std::chrono::milliseconds(value);
    }
    return std::chrono::milliseconds(kBusyTimeoutMs);
}

// When waiting for a lock ends: one busy time-out after the calling thread's
// registry scope began, or outside a scope after the statement first found
// the store busy.
Clock::time_point WaitDeadline(Clock::time_point statementStart) {
    return RegistryScope::ActiveSince().value_or(statementStart) + BusyTimeout();
}

// SQLite's busy handler: sleeps a little longer each time, up to 50 ms, until
// the deadline; 0 gives up, and the statement fails with "database is locked".
int WaitWhileBusy(void*, int attempt) {
    thread_local Clock::time_point statementStart;
    const Clock::time_point now = Clock::now();
    if (attempt == 0)
        statementStart = now;
    const Clock::time_point deadline = WaitDeadline(statementStart);
    if (now >= deadline)
        return 0;
    const auto pause = std::chrono::milliseconds(std::min(1 << std::min(attempt, 6), 50));
    std::this_thread::sleep_for(std::min<Clock::duration>(pause, deadline - now));
    return 1;
}

const char* const kSchema =
    "CREATE TABLE IF NOT EXISTS keys(path TEXT NOT NULL PRIMARY KEY COLLATE NOCASE) WITHOUT ROWID;"
    "CREATE TABLE IF NOT EXISTS vals(key TEXT NOT NULL COLLATE NOCASE, name TEXT NOT NULL COLLATE NOCASE,"
    " type INTEGER NOT NULL, data BLOB NOT NULL, PRIMARY KEY(key, name)) WITHOUT ROWID;";

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (AsciiLower(text[i]) != AsciiLower(prefix[i]))
            return false;
    }
    return true;
}

std::string HomeDirectory() {
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    struct passwd entry {};
    struct passwd* found = nullptr;
    char buffer[4096];
    if (getpwuid_r(getuid(), &entry, buffer, sizeof buffer, &found) == 0 && found && found->pw_dir) {
        return found->pw_dir;
    }
    return {};
}

// TAVRIN_REGISTRY=none: a store in the process's memory, which starts empty
// (every setting at its default) and keeps nothing after the process ends.
constexpr const char* kNoStore = "none";

std::string DatabasePath() {
    if (const char* path = std::getenv("TAVRIN_REGISTRY"); path && *path)
        return path;
    // A relative XDG_CONFIG_HOME is to be ignored.
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/') {
        return std::string(config) + "/Quenor/registry.sqlite3";
    }
    const std::string home = HomeDirectory();
    if (home.empty())
        return {};
    return home + "/.config/Quenor/registry.sqlite3";
}

// Creates every missing directory above the file.
void CreateParentDirectories(const std::string& file) {
    for (size_t slash = file.find('/', 1); slash != std::string::npos; slash = file.find('/', slash + 1)) {
        const std::string directory = file.substr(0, slash);
        if (mkdir(directory.c_str(), 0700) != 0 && errno != EEXIST)
            return;
    }
}

// A store that cannot be read or written is recorded, with SQLite's reason,
// in the calling thread's registry scope.
void RecordFailure(sqlite3* db) {
    const char* file = sqlite3_db_filename(db, "main");
    RegistryScope::RecordFailure(std::string(file && *file ? file : "settings store") + ": " + sqlite3_errmsg(db));
}

class Statement {
public:
    Statement(sqlite3* db, const char* sql) : db_(db) {
        if (sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr) != SQLITE_OK) {
            RecordFailure(db);
            statement_ = nullptr;
        }
    }
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool ok() const { return statement_ != nullptr; }
    Statement& Bind(int index, const std::string& text) {
        if (statement_)
            sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& Bind(int index, int64_t number) {
        if (statement_)
            sqlite3_bind_int64(statement_, index, number);
        return *this;
    }
    Statement& BindBlob(int index, const void* data, size_t size) {
        // A zero-length blob must still be a blob, not NULL.
        if (statement_)
            sqlite3_bind_blob(statement_, index, size ? data : "", static_cast<int>(size), SQLITE_TRANSIENT);
        return *this;
    }
    // SQLITE_ROW, SQLITE_DONE or an error (recorded).
    int Step() {
        if (!statement_)
            return SQLITE_ERROR;
        const int result = sqlite3_step(statement_);
        if (result != SQLITE_ROW && result != SQLITE_DONE)
            RecordFailure(db_);
        return result;
    }
    std::string Text(int column) const {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
        return text ? std::string(text, static_cast<size_t>(sqlite3_column_bytes(statement_, column))) : std::string();
    }
    int64_t Integer(int column) const { return sqlite3_column_int64(statement_, column); }
    const void* Blob(int column) const { return sqlite3_column_blob(statement_, column); }
    size_t Bytes(int column) const { return static_cast<size_t>(sqlite3_column_bytes(statement_, column)); }

private:
    sqlite3* db_;
    sqlite3_stmt* statement_ = nullptr;
};

// One connection per database file, shared by every key of the process that
// uses that file; its mutex keeps each transaction whole.
class Database {
public:
    static std::shared_ptr<Database> ForCurrentPath();

    ~Database() { sqlite3_close_v2(db_); }
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // The connection for one transaction of the calling thread. Inside a
    // registry scope another thread of this program holding it counts
    // against the scope's wait; an unowned lock means the wait ran out.
    // (Polled: a timed mutex's wait is invisible to ThreadSanitizer, and
    // contention within one program is rare.)
    std::unique_lock<std::mutex> Lock() {
        std::unique_lock lock(mutex_, std::defer_lock);
        const auto since = RegistryScope::ActiveSince();
        if (!since) {
            lock.lock();
            return lock;
        }
        const Clock::time_point deadline = *since + BusyTimeout();
        while (!lock.try_lock()) {
            if (Clock::now() >= deadline) {
                RegistryScope::RecordFailure(path_ + ": in use by another thread of this program for too long");
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return lock;
    }
    sqlite3* handle() { return db_; }

    // Runs body inside one write transaction; commits when it returns true.
    template <typename Body>
    bool Write(Body&& body) {
        if (sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
            RecordFailure(db_);
            return false;
        }
        if (!body()) {
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
            return false;
        }
        if (sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
            RecordFailure(db_);
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
            return false;
        }
        return true;
    }

    // Whether both tables exist. Asking needs no write lock, so a store that
    // another program is writing to, or that may only be read, still opens.
    bool HasSchema() {
        Statement tables(db_, "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN ('keys', 'vals')");
        return tables.Step() == SQLITE_ROW && tables.Integer(0) == 2;
    }

    // The stored spelling of an existing key's path.
    std::optional<std::string> FindKey(const std::string& path) {
        if (path.empty())
            return path;  // HKEY_CURRENT_USER itself
        Statement find(db_, "SELECT path FROM keys WHERE path = ?1");
        if (find.Bind(1, path).Step() != SQLITE_ROW)
            return std::nullopt;
        return find.Text(0);
    }

    std::vector<std::string> AllKeys() {
        std::vector<std::string> keys;
        Statement all(db_, "SELECT path FROM keys");
        while (all.Step() == SQLITE_ROW)
            keys.push_back(all.Text(0));
        return keys;
    }

private:
    Database(sqlite3* db, std::string path) : db_(db), path_(std::move(path)) {}
    static std::shared_ptr<Database> OpenFile(const std::string& path);

    sqlite3* db_;
    std::string path_;
    std::mutex mutex_;
};

std::shared_ptr<Database> Database::OpenFile(const std::string& path) {
    const bool inMemory = path == kNoStore;
    if (!inMemory)
        CreateParentDirectories(path);
    sqlite3* db = nullptr;
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;
    if (sqlite3_open_v2(inMemory ? ":memory:" : path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
        RegistryScope::RecordFailure(path + ": " + (db ? sqlite3_errmsg(db) : "cannot be opened"));
        sqlite3_close_v2(db);
        return nullptr;
    }
    sqlite3_busy_handler(db, WaitWhileBusy, nullptr);
    // WAL keeps readers and the writer apart; NORMAL synchronisation in WAL
    // mode still never tears a transaction.
    if (!inMemory) {
        sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
        sqlite3_exec(db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
    }
    std::shared_ptr<Database> database(new Database(db, path));
    if (database->HasSchema())
        return database;
    const bool schemaReady = database->Write([&] {
        if (sqlite3_exec(db, kSchema, nullptr, nullptr, nullptr) == SQLITE_OK)
            return true;
        RecordFailure(db);
        return false;
    });
    return schemaReady ? database : nullptr;
}

// The file's identity: a file removed or replaced under the same name is
// another store. The store in memory is always the same one.
std::optional<std::pair<dev_t, ino_t>> FileIdentity(const std::string& path) {
    if (path == kNoStore)
        return std::nullopt;
    struct stat status {};
    if (stat(path.c_str(), &status) != 0)
        return std::nullopt;
    return std::pair{status.st_dev, status.st_ino};
}

// The path is looked up on every open, so that a process (a test) may move
// the store; keys already open keep the database they were opened in.
std::shared_ptr<Database> Database::ForCurrentPath() {
    static std::mutex cacheMutex;
    static std::string cachedPath;
    static std::optional<std::pair<dev_t, ino_t>> cachedIdentity;
    static std::shared_ptr<Database> cached;
    const std::string path = DatabasePath();
    if (path.empty()) {
        RegistryScope::RecordFailure("no settings store: neither TAVRIN_REGISTRY nor a home folder is set");
        return nullptr;
    }
    std::lock_guard lock(cacheMutex);
    if (!cached || path != cachedPath || FileIdentity(path) != cachedIdentity) {
        cached = OpenFile(path);
        cachedPath = cached ? path : std::string();
        cachedIdentity = cached ? FileIdentity(path) : std::nullopt;
    }
    return cached;
}

// Joins parent and relative path; nullopt for an empty component.
std::optional<std::string> JoinPath(const std::string& parent, const std::string& path) {
    if (path.empty())
        return parent;
    size_t start = 0;
    while (true) {
        const size_t end = path.find('\\', start);
        const size_t length = (end == std::string::npos ? path.size() : end) - start;
        if (length == 0)
            return std::nullopt;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return parent.empty() ? path : parent + "\\" + path;
}

}  // namespace

struct RegistryKey::Impl {
    std::shared_ptr<Database> database;
    std::string path;  // as stored; empty for HKEY_CURRENT_USER
    bool writable = false;

    // The database and full path that a parent (null: HKEY_CURRENT_USER)
    // and a relative path name; nothing for a malformed path or no store.
    static std::optional<Impl> Resolve(const RegistryKey* parent, const std::string& path) {
        auto full = JoinPath(parent ? parent->impl_->path : std::string(), path);
        if (!full)
            return std::nullopt;
        auto database = parent ? parent->impl_->database : Database::ForCurrentPath();
        if (!database)
            return std::nullopt;
        return Impl{std::move(database), std::move(*full), false};
    }
};

RegistryKey::RegistryKey(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
RegistryKey::~RegistryKey() = default;

std::unique_ptr<RegistryKey> RegistryKey::Open(const RegistryKey* parent, const std::string& path) {
    auto target = Impl::Resolve(parent, path);
    if (!target)
        return nullptr;
    const auto lock = target->database->Lock();
    if (!lock)
        return nullptr;
    auto stored = target->database->FindKey(target->path);
    if (!stored)
        return nullptr;
    target->path = std::move(*stored);
    return std::unique_ptr<RegistryKey>(new RegistryKey(std::make_unique<Impl>(std::move(*target))));
}

std::unique_ptr<RegistryKey> RegistryKey::Create(const RegistryKey* parent, const std::string& path) {
    // As on Windows, a key opened for reading cannot take subkeys.
    if (parent && !parent->impl_->writable)
        return nullptr;
    auto target = Impl::Resolve(parent, path);
    if (!target)
        return nullptr;
    Database& database = *target->database;
    const auto lock = database.Lock();
    if (!lock)
        return nullptr;
    std::optional<std::string> stored;
    const bool created = database.Write([&] {
        // Every key on the way down, each kept in the spelling it already has.
        size_t end = 0;
        while (!target->path.empty() && end != std::string::npos) {
            end = target->path.find('\\', end == 0 ? 0 : end + 1);
            Statement insert(database.handle(), "INSERT OR IGNORE INTO keys(path) VALUES(?1)");
            if (insert.Bind(1, target->path.substr(0, end)).Step() != SQLITE_DONE)
                return false;
        }
        stored = database.FindKey(target->path);
        return stored.has_value();
    });
    if (!created)
        return nullptr;
    target->path = std::move(*stored);
    target->writable = true;
    return std::unique_ptr<RegistryKey>(new RegistryKey(std::make_unique<Impl>(std::move(*target))));
}

bool RegistryKey::Exists(const RegistryKey* parent, const std::string& path) { return Open(parent, path) != nullptr; }

bool RegistryKey::DeleteTree(const RegistryKey* parent, const std::string& path) {
    auto target = Impl::Resolve(parent, path);
    if (!target || target->path.empty())
        return false;
    Database& database = *target->database;
    const auto lock = database.Lock();
    if (!lock)
        return false;
    return database.Write([&] {
        const std::string below = target->path + "\\";
        for (const std::string& key : database.AllKeys()) {
            if (!StartsWithNoCase(key, below) &&
                !(key.size() == target->path.size() && StartsWithNoCase(key, target->path))) {
                continue;
            }
            Statement values(database.handle(), "DELETE FROM vals WHERE key = ?1");
            Statement self(database.handle(), "DELETE FROM keys WHERE path = ?1");
            if (values.Bind(1, key).Step() != SQLITE_DONE || self.Bind(1, key).Step() != SQLITE_DONE)
                return false;
        }
        return true;
    });
}

bool RegistryKey::ReadDword(const std::string& name, int32_t& field) const {
    Database& database = *impl_->database;
    const auto lock = database.Lock();
    if (!lock)
        return false;
    Statement read(database.handle(), "SELECT data FROM vals WHERE key = ?1 AND name = ?2");
    if (read.Bind(1, impl_->path).Bind(2, name).Step() != SQLITE_ROW)
        return false;
    const size_t size = read.Bytes(0);
    if (size > 4)
        return false;
    const auto* bytes = static_cast<const uint8_t*>(read.Blob(0));
    uint32_t value = static_cast<uint32_t>(field);
    for (size_t i = 0; i < size; ++i) {
        value = (value & ~(0xFFu << (8 * i))) | (static_cast<uint32_t>(bytes[i]) << (8 * i));
    }
    field = static_cast<int32_t>(value);
    return true;
}

bool RegistryKey::WriteDword(const std::string& name, uint32_t value) {
    const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                              static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    return WriteValue(name, kRegistryTypeDword, bytes, sizeof bytes);
}

bool RegistryKey::WriteValue(const std::string& name, uint32_t type, const void* data, size_t size) {
    if (!impl_->writable || impl_->path.empty())
        return false;
    Database& database = *impl_->database;
    const auto lock = database.Lock();
    if (!lock)
        return false;
    return database.Write([&] {
        // A key deleted since it was opened takes no more values.
        if (!database.FindKey(impl_->path))
            return false;
        Statement write(database.handle(), "INSERT OR REPLACE INTO vals(key, name, type, data) VALUES(?1, ?2, ?3, ?4)");
        return write.Bind(1, impl_->path).Bind(2, name).Bind(3, int64_t{type}).BindBlob(4, data, size).Step() ==
               SQLITE_DONE;
    });
}

std::vector<std::string> RegistryKey::SubKeyNames() const {
    Database& database = *impl_->database;
    const auto lock = database.Lock();
    if (!lock)
        return {};
    const std::string prefix = impl_->path.empty() ? std::string() : impl_->path + "\\";
    std::vector<std::string> names;
    for (const std::string& key : database.AllKeys()) {
        if (key.size() > prefix.size() && StartsWithNoCase(key, prefix) &&
            key.find('\\', prefix.size()) == std::string::npos) {
            names.push_back(key.substr(prefix.size()));
        }
    }
    return names;
}

std::vector<std::string> RegistryKey::ValueNames() const {
    Database& database = *impl_->database;
    const auto lock = database.Lock();
    if (!lock)
        return {};
    Statement names(database.handle(), "SELECT name FROM vals WHERE key = ?1");
    names.Bind(1, impl_->path);
    std::vector<std::string> result;
    while (names.Step() == SQLITE_ROW)
        result.push_back(names.Text(0));
    return result;
}

}  // namespace tavrin::platform
