// The fake machine's INF reader over a large generated store, against reading
// the same bytes raw.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/fake/inf_reader.h"
#include "bench/generated_store.h"

namespace {

// 2000 driver INFs of 1 to 3 manufacturers with 1 to 8 models each, about
// 1.5 KB apiece: several megabytes, well beyond the caches.
const std::vector<std::string>& ReaderStore() {
    static const std::vector<std::string> store = [] {
        std::vector<std::string> infs;
        genstore::Rng rng(20261120);
        for (std::size_t i = 0; i < 2000; ++i) {
            std::vector<genstore::Manufacturer> makers;
            std::size_t makerCount = 1 + rng.Below(3);
            for (std::size_t k = 0; k < makerCount; ++k) {
                genstore::Manufacturer maker{"Models" + std::to_string(k), {}, true};
                std::size_t lines = 1 + rng.Below(8);
                for (std::size_t l = 0; l < lines; ++l) {
                    genstore::ModelLine line;
                    line.hardwareId = genstore::RandomHardwareId(rng);
                    line.compatibleId = "USB\\CLASS_08&SUBCLASS_06&PROT_50";
                    maker.models.push_back(line);
                }
                makers.push_back(maker);
            }
            infs.push_back(genstore::InfText(makers, true, std::to_string(i)) +
                           "HwId=\"USB\\VID_0781&PID_5567\"\r\n");
        }
        return infs;
    }();
    return store;
}

std::int64_t StoreBytes() {
    std::int64_t total = 0;
    for (const std::string& inf : ReaderStore()) {
        total += static_cast<std::int64_t>(inf.size());
    }
    return total;
}

// Opens every INF and reads every field of every line, as a consumer that
// walks the whole file would.
void BM_InfReaderReadsEveryField(benchmark::State& state) {
    const std::vector<std::string>& store = ReaderStore();
    const fake::DirIdTable dirIds = fake::DirIdTable::Windows98();
    std::string field;
    for (auto _ : state) {
        std::size_t chars = 0;
        for (const std::string& bytes : store) {
            fake::InfOpenError error;
            std::unique_ptr<fake::InfDocument> doc =
                fake::InfDocument::Open(bytes, dirIds, "C:\\WINDOWS\\INF", &error);
            std::vector<std::string> sections = doc->SectionNames();
            for (std::size_t s = 0; s < sections.size(); ++s) {
                int index = static_cast<int>(s);
                for (std::size_t line = 0; line < doc->LineCount(index); ++line) {
                    std::size_t fields = doc->FieldCount(index, line);
                    for (std::size_t f = 0; f <= fields; ++f) {
                        if (doc->GetField(index, line, f, &field)) {
                            chars += field.size();
                        }
                    }
                }
            }
        }
        benchmark::DoNotOptimize(chars);
    }
    state.SetBytesProcessed(state.iterations() * StoreBytes());
}
BENCHMARK(BM_InfReaderReadsEveryField)->Unit(benchmark::kMillisecond);

// Opening alone: decoding, parsing and indexing.
void BM_InfReaderOpens(benchmark::State& state) {
    const std::vector<std::string>& store = ReaderStore();
    const fake::DirIdTable dirIds = fake::DirIdTable::Windows98();
    for (auto _ : state) {
        for (const std::string& bytes : store) {
            fake::InfOpenError error;
            benchmark::DoNotOptimize(
                fake::InfDocument::Open(bytes, dirIds, "C:\\WINDOWS\\INF", &error));
        }
    }
    state.SetBytesProcessed(state.iterations() * StoreBytes());
}
BENCHMARK(BM_InfReaderOpens)->Unit(benchmark::kMillisecond);

// The same bytes copied out and scanned for line ends and separators: what
// any reader of the store must at least do.
void BM_RawReadAndScan(benchmark::State& state) {
    const std::vector<std::string>& store = ReaderStore();
    std::vector<char> buffer;
    for (auto _ : state) {
        std::size_t marks = 0;
        for (const std::string& bytes : store) {
            buffer.resize(bytes.size());
            std::memcpy(buffer.data(), bytes.data(), bytes.size());
            benchmark::ClobberMemory();
            for (char c : buffer) {
                marks += (c == '\n') + (c == '=') + (c == ',');
            }
        }
        benchmark::DoNotOptimize(marks);
    }
    state.SetBytesProcessed(state.iterations() * StoreBytes());
}
BENCHMARK(BM_RawReadAndScan)->Unit(benchmark::kMillisecond);

}  // namespace
