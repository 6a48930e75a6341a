// Store benchmark: WriteSection + ReadSection against SQLite doing the same, and file growth under rewrites.
#include <sqlite3.h>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/constants.h"
#include "base/string_list.h"
#include "store/file_manager.h"
#include "store/store_check.h"
#include "store/store_ops.h"
#include "store/stream.h"

namespace fs = std::filesystem;
using namespace pel;

namespace {

using Clock = std::chrono::steady_clock;

StringList MessageTemplate() {
  StringList l;
  for (const char* s : {"Fcc: outbox", "Host: mail.example.org", "From: me@example.org",
                        "Chain: *,*,*,*; copies=1", "To: ", "Subject: ", "", "~~"})
    l.Add(s);
  return l;
}

StringList ArticleTemplate() {
  StringList l;
  for (const char* s : {"Fcc: outbox", "Host: mail.example.org", "From: me@example.org",
                        "Chain: *,*,*,*; copies=1", "To: mail2news@example.net",
                        "X-No-Archive: Yes", "Newsgroups: ", "Subject: ", "", "~~"})
    l.Add(s);
  return l;
}

double CpuSeconds() {
  rusage u;
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Cost {
  double wall = 0, cpu = 0;  // microseconds per call
};

// Runs body until at least minSeconds have passed; the wall and CPU time per call.
template <typename F>
Cost PerCall(F body, double minSeconds = 1.0) {
  for (int i = 0; i < 20; ++i) body();  // warm the page cache
  long calls = 0;
  auto start = Clock::now();
  double cpu = CpuSeconds(), elapsed = 0;
  do {
    for (int i = 0; i < 20; ++i) body();
    calls += 20;
    elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  } while (elapsed < minSeconds);
  double n = static_cast<double>(calls);
  return {elapsed * 1e6 / n, (CpuSeconds() - cpu) * 1e6 / n};
}

std::string RecordPath(int i) {
  return "box" + std::to_string(i % 10) + "\xFF" "record" + std::to_string(i);
}

Cost StoreCase(const fs::path& dir, int n, const StringList& msg, bool flushes) {
  StoreFlushSwitch() = flushes;
  std::string file = (dir / ("store" + std::to_string(n) + ".dbc")).string();
  fs::remove(file);
  for (int i = 0; i < n; ++i)
    if (WriteSection(RecordPath(i), &msg, file) != 0) std::fprintf(stderr, "store setup failed\n");
  // Two versions in turn, so that every write really changes the file.
  StringList other = msg;
  other.Add("X-Count: 1");
  long k = 0;
  return PerCall([&] {
    const StringList& now = ++k % 2 ? other : msg;
    StringList back;
    if (WriteSection(DefaultMessageKey, &now, file) != 0 ||
        ReadSection(back, DefaultMessageKey, file) != 0 || back.Count() != now.Count())
      std::fprintf(stderr, "store round trip failed\n");
  });
}

void Exec(sqlite3* db, const char* sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
    std::fprintf(stderr, "sqlite: %s\n", error ? error : "?");
    sqlite3_free(error);
  }
}

sqlite3* OpenDb(const std::string& file, bool full) {
  sqlite3* db = nullptr;
  sqlite3_open(file.c_str(), &db);
  Exec(db, "PRAGMA journal_mode=DELETE");
  Exec(db, full ? "PRAGMA synchronous=FULL" : "PRAGMA synchronous=OFF");
  return db;
}

void Replace(sqlite3* db, const std::string& key, const std::string& value) {
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "INSERT OR REPLACE INTO records(key, value) VALUES(?, ?)", -1, &st, nullptr);
  sqlite3_bind_text(st, 1, key.data(), static_cast<int>(key.size()), SQLITE_STATIC);
  sqlite3_bind_blob(st, 2, value.data(), static_cast<int>(value.size()), SQLITE_STATIC);
  if (sqlite3_step(st) != SQLITE_DONE) std::fprintf(stderr, "sqlite replace failed\n");
  sqlite3_finalize(st);
}

std::string Fetch(sqlite3* db, const std::string& key) {
  sqlite3_stmt* st = nullptr;
  std::string value;
  sqlite3_prepare_v2(db, "SELECT value FROM records WHERE key = ?", -1, &st, nullptr);
  sqlite3_bind_text(st, 1, key.data(), static_cast<int>(key.size()), SQLITE_STATIC);
  if (sqlite3_step(st) == SQLITE_ROW)
    value.assign(static_cast<const char*>(sqlite3_column_blob(st, 0)),
                 static_cast<size_t>(sqlite3_column_bytes(st, 0)));
  sqlite3_finalize(st);
  return value;
}

Cost SqliteCase(const fs::path& dir, int n, const std::string& text, bool full) {
  std::string file = (dir / ("sqlite" + std::to_string(n) + ".db")).string();
  fs::remove(file);
  sqlite3* db = OpenDb(file, full);
  Exec(db, "CREATE TABLE records(key TEXT PRIMARY KEY, value BLOB)");
  Exec(db, "BEGIN");
  for (int i = 0; i < n; ++i) Replace(db, RecordPath(i), text);
  Exec(db, "COMMIT");
  sqlite3_close(db);
  const std::string key(DefaultMessageKey);
  const std::string other = text + "X-Count: 1\r\n";
  long k = 0;
  return PerCall([&] {
    const std::string& now = ++k % 2 ? other : text;
    sqlite3* w = OpenDb(file, full);
    Replace(w, key, now);
    sqlite3_close(w);
    sqlite3* r = OpenDb(file, full);
    if (Fetch(r, key) != now) std::fprintf(stderr, "sqlite round trip failed\n");
    sqlite3_close(r);
  });
}

void Growth(const fs::path& dir) {
  std::string file = (dir / "growth.dbc").string();
  fs::remove(file);
  StringList msg = MessageTemplate(), art = ArticleTemplate();
  WriteSection(DefaultMessageKey, &msg, file);
  auto first = fs::file_size(file);
  WriteSection(DefaultArticleKey, &art, file);
  auto both = fs::file_size(file);
  for (int i = 0; i < 10000; ++i) {
    if (i % 2 == 0)
      WriteSection(DefaultMessageKey, &msg, file);
    else
      WriteSection(DefaultArticleKey, &art, file);
  }
  auto after = fs::file_size(file);
  MemoryStream bytes;
  {
    StoreFileError why;
    std::unique_ptr<ByteStream> s = OpenStoreFile(file, StoreOpenMode::kWriting, why);
    if (!s) return;
    std::vector<uint8_t> b(static_cast<size_t>(s->Size()));
    s->Seek(0);
    s->Read(b.data(), static_cast<int32_t>(b.size()));
    bytes.Bytes() = b;
  }
  std::printf("\n(c) file size under 10,000 alternating rewrites of the two templates\n");
  std::printf("    after the first write (message): %llu bytes\n", static_cast<unsigned long long>(first));
  std::printf("    after both templates once:       %llu bytes\n", static_cast<unsigned long long>(both));
  std::printf("    after 10,000 more rewrites:      %llu bytes (%.2fx the first write)\n",
              static_cast<unsigned long long>(after),
              static_cast<double>(after) / static_cast<double>(first));
  std::printf("    check of the final file: %s\n",
              CheckStore(bytes.Bytes()).empty() ? "sound" : "PROBLEMS");
}

}  // namespace

int main() {
  fs::path dir = fs::temp_directory_path() / "pel_store_bench";
  fs::create_directories(dir);
  StringList msg = MessageTemplate();
  std::printf("WriteSection + ReadSection of the default message, each call opening and\n"
              "closing the file, vs SQLite 3 (open, one statement, close; rollback journal)\n");
  for (bool flushes : {false, true}) {
    std::printf("\n(%c) %s\n", flushes ? 'b' : 'a',
                flushes ? "the store flushing vs synchronous=FULL"
                        : "the store without flushes vs synchronous=OFF");
    std::printf("    %8s %14s %14s %14s %8s\n", "records", "store us/pair", "store cpu us",
                "sqlite us/pair", "ratio");
    for (int n : {10, 100, 1000}) {
      Cost store = StoreCase(dir, n, msg, flushes);
      Cost sqlite = SqliteCase(dir, n, msg.GetText(), flushes);
      std::printf("    %8d %14.1f %14.1f %14.1f %8.2f\n", n, store.wall, store.cpu, sqlite.wall,
                  sqlite.wall / store.wall);
    }
  }
  StoreFlushSwitch() = true;
  Growth(dir);
  fs::remove_all(dir);
  return 0;
}
