// Load and save of a store whose plain text is at the cipher's limit, with
// and without the disk, and the encipher of that text.

#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "store/cipher.h"
#include "store/file_access.h"
#include "store/record_line.h"
#include "store/record_store.h"

namespace {

namespace fs = std::filesystem;
using namespace lockmere;

std::string Key() {
    std::string key;
    for (int code = 90; code > 58; --code) key.push_back(static_cast<char>(code));
    return key;
}

// List lines whose store text is exactly kStoreTextLimit characters long.
std::vector<std::string> FullList() {
    std::vector<std::string> lines;
    std::size_t plain = 0;
    for (int n = 0;; ++n) {
        const std::string id = std::to_string(n);
        PasswordRecord record{"Application " + id, "https://service-" + id + ".example.com/login",
                              "user" + id + "@example.com", "Pw-" + id + "-x9!"};
        const std::size_t cost = ComposeStoreEntry(record).size();
        const std::size_t room = kStoreTextLimit - plain;
        if (room < cost + 80) {
            record.ApplicationUrl += std::string(room - cost, 'q');  // the last one fills the rest
            lines.push_back(ComposeRecordLine(record));
            return lines;
        }
        lines.push_back(ComposeRecordLine(record));
        plain += cost;
    }
}

std::string PlainText(const std::vector<std::string>& lines) {
    std::string plain;
    for (const std::string& line : lines) plain += ComposeStoreEntry(SplitRecordLine(line));
    if (plain.size() != kStoreTextLimit) throw std::logic_error("store text of the wrong size");
    return plain;
}

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "lockmere-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("no temporary folder");
        path_ = pattern;
    }
    ~TempFolder() { fs::remove_all(path_); }
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

void Encrypt(benchmark::State& state) {
    const std::string plain = PlainText(FullList());
    const std::string key = Key();
    for (auto _ : state) benchmark::DoNotOptimize(lockmere::Encrypt(plain, key));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * plain.size()));
}
BENCHMARK(Encrypt);

void Decrypt(benchmark::State& state) {
    const std::string key = Key();
    const std::string enciphered = lockmere::Encrypt(PlainText(FullList()), key).Output;
    for (auto _ : state) benchmark::DoNotOptimize(lockmere::Decrypt(enciphered, key));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * enciphered.size()));
}
BENCHMARK(Decrypt);

// The load without the disk: what the user waits for after the login.
void DecryptAndScan(benchmark::State& state) {
    const std::string key = Key();
    const std::string enciphered = lockmere::Encrypt(PlainText(FullList()), key).Output;
    for (auto _ : state) {
        const CipherResult plain = lockmere::Decrypt(enciphered, key);
        benchmark::DoNotOptimize(ScanStoreText(plain.Output, enciphered.size()));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * enciphered.size()));
}
BENCHMARK(DecryptAndScan);

void LoadFromDisk(benchmark::State& state) {
    TempFolder folder;
    const std::string key = Key();
    RecordStore book(folder.Path());
    if (!book.Load(key).Complete()) throw std::runtime_error("load failed");
    const std::vector<std::string> lines = FullList();
    if (book.Save(key, lines).Outcome != StoreWrite::Written)
        throw std::runtime_error("save failed");
    for (auto _ : state) {
        LoadResult loaded = book.Load(key);
        if (loaded.Lines.size() != lines.size()) throw std::runtime_error("load lost lines");
        benchmark::DoNotOptimize(loaded);
    }
}
BENCHMARK(LoadFromDisk);

// Includes the flush to disk of the safe replace: that is the figure the
// user waits for.
void SaveToDisk(benchmark::State& state) {
    TempFolder folder;
    const std::string key = Key();
    RecordStore book(folder.Path());
    if (!book.Load(key).Complete()) throw std::runtime_error("load failed");
    const std::vector<std::string> lines = FullList();
    for (auto _ : state) {
        if (book.Save(key, lines).Outcome != StoreWrite::Written)
            throw std::runtime_error("save failed");
    }
}
BENCHMARK(SaveToDisk)->Unit(benchmark::kMillisecond);

}  // namespace
