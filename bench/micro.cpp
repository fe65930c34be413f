// Micro-benchmarks of the compiler's hot paths, each on an in-memory source
// or a text held in the work area, and of the language server's answer to
// a change.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/compilation.h"
#include "core/memory_files.h"
#include "driver/compile.h"
#include "edits/edits.h"
#include "index/source_index.h"
#include "lsp/server.h"
#include "source/reader.h"
#include "source/scanner.h"
#include "text/compression.h"
#include "text/texts.h"

namespace {

using zel::Compilation;

class NullConsole : public zel::Console {
public:
    void out(std::string_view) override {}
    void err(std::string_view) override {}
    void flush() override {}
};

class StringInput : public zel::InputFile {
public:
    explicit StringInput(const std::string& text) : text_(text) {}
    long read(char* buffer, std::size_t size) override {
        const std::size_t n = std::min(size, text_.size() - at_);
        std::memcpy(buffer, text_.data() + at_, n);
        at_ += n;
        return static_cast<long>(n);
    }

private:
    const std::string& text_;
    std::size_t at_ = 0;
};

// One source file, GAME.SCE; nothing can be written.
class OneFile : public zel::FileSystem {
public:
    std::string source;
    std::unique_ptr<zel::InputFile> open_source(const std::string&, zel::FileId& id) override {
        id.inode = ++opened_;
        return std::make_unique<StringInput>(source);
    }
    std::unique_ptr<zel::OutputFile> create(const std::string&) override { return nullptr; }
    bool remove(const std::string&) override { return true; }
    bool rename(const std::string&, const std::string&) override { return false; }

private:
    std::uint64_t opened_ = 0;
};

struct Bench {
    NullConsole console;
    OneFile files;
    Compilation c{console, files};
    Bench() {
        c.workarea = std::make_unique<std::array<unsigned char, zel::workarea_size>>();
        c.writer.bufend = zel::workarea_threshold;
        c.driver.nullchr = '_';
    }
};

const std::string sentence = "You are in a dark cave with walls of old stone and a narrow passage north.";

// Lines of the kinds the argument mixes: comment lines, or text lines.
void BM_rdline(benchmark::State& state) {
    const bool comments = state.range(0) == 1;
    std::string source;
    while (source.size() < (8u << 20))
        source += (comments ? "; " : "") + sentence + "\n";
    for (auto _ : state) {
        Bench b;
        b.files.source = source;
        zel::srcopen(b.c, "GAME");
        while (!b.c.reader.srceof)
            zel::rdline(b.c);
        benchmark::DoNotOptimize(b.c.reader.lineno);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * source.size()));
}
BENCHMARK(BM_rdline)->Arg(0)->Arg(1)->ArgNames({"comments"});

// readword at width 5 and lookup in a full vocabulary of 2211 words.
void BM_readword_lookup(benchmark::State& state) {
    Bench b;
    std::vector<std::string> words;
    const std::uint32_t capacity = (zel::workarea_threshold - 517) / zel::entry_size;  // 2211
    for (std::uint32_t i = 0; i < capacity; ++i) {
        std::string w;
        for (std::uint32_t k = i * 7919 % 11881376, d = 0; d < 5; ++d, k /= 26)
            w += static_cast<char>('A' + k % 26);
        words.push_back(w);
    }
    std::sort(words.begin(), words.end());
    words.erase(std::unique(words.begin(), words.end()), words.end());
    for (std::size_t i = 0; i < words.size(); ++i) {
        unsigned char* e = b.c.work() + i * zel::entry_size;
        std::memcpy(e, words[i].data(), 5);
        e[5] = static_cast<unsigned char>(i % 254 + 1);
        e[6] = zel::noun;
    }
    b.c.vocab.nwords = static_cast<std::uint32_t>(words.size());
    std::string line;
    for (std::size_t i = 0; i < 64; ++i)
        line += words[i * 97 % words.size()] + (i % 8 == 7 ? "X " : " ");  // every eighth word is unknown
    std::int64_t found = 0;
    for (auto _ : state) {
        zel::scanfrom(b.c, line.data(), line.data() + line.size());
        for (int i = 0; i < 64; ++i) {
            zel::readword(b.c, 5);
            found += zel::lookup(b.c) != 0;
        }
    }
    benchmark::DoNotOptimize(found);
    state.SetItemsProcessed(state.iterations() * 64);
}
BENCHMARK(BM_readword_lookup);

// A text of the argument's number of lines stored, joined and complemented.
void BM_text_encoding(benchmark::State& state) {
    Bench b;
    const auto lines = static_cast<std::size_t>(state.range(0));
    zel::Writer& w = b.c.writer;
    w.bufbase = 64;
    w.txtkeep = 1;
    for (auto _ : state) {
        w.bufptr = w.txtstart = w.bufbase;
        for (std::size_t i = 0; i < lines; ++i) {
            if (i)
                zel::put_text_byte(b.c, zel::join_space);
            zel::put_text_line(b.c, sentence.data(), sentence.size());
        }
        zel::put_text_byte(b.c, zel::text_end);
    }
    benchmark::DoNotOptimize(w.dbpos);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * lines * (sentence.size() + 1)));
}
BENCHMARK(BM_text_encoding)->Arg(1)->Arg(8)->Arg(200);

// Token substitution over a text of the argument's length: the time per
// byte stays the same as the text grows.
void BM_compression(benchmark::State& state) {
    Bench b;
    zel::write_token_table(b.c);
    const auto length = static_cast<std::size_t>(state.range(0));
    std::string text;
    while (text.size() < length)
        text += sentence + " ";
    text.resize(length);
    text.push_back(static_cast<char>(zel::text_end));
    zel::Writer& w = b.c.writer;
    w.txtstart = 64;
    for (auto _ : state) {
        std::memcpy(b.c.work() + w.txtstart, text.data(), text.size());
        w.bufptr = w.txtstart + text.size();
        zel::substitute_tokens(b.c);
    }
    benchmark::DoNotOptimize(b.c.tokens.saving);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_compression)->Arg(64)->Arg(512)->Arg(15000);

// The source of bench workload a, the largest valid adventure, read from
// ZELC_BENCH_WORK (bench/run and bench/gen.py write it to build/bench-work);
// empty, with the benchmark skipped, when it is not there.
std::string largest_source(benchmark::State& state) {
    const char* work = std::getenv("ZELC_BENCH_WORK");
    std::ifstream in(std::string(work ? work : ZELC_BENCH_WORK) + "/a/MAXVALID.SCE", std::ios::binary);
    if (!in) {
        state.SkipWithError("no workload a: run bench/run or bench/gen.py first");
        return {};
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The whole compilation of bench workload a from a source held in memory:
// with switch N (no database), without a switch, and with C.
void BM_compile_largest(benchmark::State& state, const char* switches) {
    const std::string source = largest_source(state);
    if (source.empty())
        return;
    std::vector<std::string> args{"MAXVALID"};
    if (*switches)
        args.emplace_back(switches);
    zel::MemoryFiles files;
    files.files["MAXVALID.SCE"] = source;
    zel::StringConsole console;
    for (auto _ : state) {
        console.output.clear();
        benchmark::DoNotOptimize(zel::compile(args, console, files));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * source.size()));
}
BENCHMARK_CAPTURE(BM_compile_largest, N, "N")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_compile_largest, database, "")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_compile_largest, C, "C")->Unit(benchmark::kMicrosecond);

// The whole compilation of the example adventure (three linked files) from
// memory with switch N, without and with a source index attached: what the
// observer costs when nobody listens, and when the index records everything.
void BM_compile_observed(benchmark::State& state) {
    zel::MemoryFiles files;
    std::size_t bytes = 0;
    for (const char* name : {"BEACON.SCE", "BEACON2.SCE", "BEACON3.SCE"}) {
        std::ifstream in(std::string(ZEL_EXAMPLES_DIR) + "/" + name, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        files.files[name] = text.str();
        bytes += text.str().size();
    }
    const bool observed = state.range(0) == 1;
    zel::StringConsole console;
    for (auto _ : state) {
        console.output.clear();
        zel::SourceIndex index;
        benchmark::DoNotOptimize(zel::compile({"BEACON", "N"}, console, files, observed ? &index : nullptr));
    }
    if (console.output.find("Compilation ends OK") == std::string::npos)
        state.SkipWithError("the example did not compile");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_compile_observed)->Arg(0)->Arg(1)->ArgNames({"index"})->Unit(benchmark::kMicrosecond);

// One renumbering of the largest valid adventure, each moving every item of
// its kind by one: the plan from the index and the texts, the texts edited;
// with `whole`, also the compilation with the index before and the check
// compilation of the edited texts after, all that zeltool renumber does in
// memory.
void BM_renumber_largest(benchmark::State& state) {
    const std::string source = largest_source(state);
    if (source.empty())
        return;
    zel::MemoryFiles files;
    files.files["MAXVALID.SCE"] = source;
    const std::vector<std::string> texts{source};
    const struct {
        zel::Kind kind;
        int from, to;
    } moves[] = {{zel::Kind::message, 0, 254}, {zel::Kind::location, 0, 251}, {zel::Kind::process, 3, 253},
                 {zel::Kind::object, 251, 0}};
    const auto& move = moves[state.range(0)];
    const bool whole = state.range(1) == 1;
    zel::NullConsole console;
    auto index = std::make_unique<zel::SourceIndex>();
    zel::compile({"MAXVALID", "N"}, console, files, index.get());
    for (auto _ : state) {
        if (whole) {
            index = std::make_unique<zel::SourceIndex>();
            zel::compile({"MAXVALID", "N"}, console, files, index.get());
        }
        const zel::edits::Outcome outcome =
            zel::edits::renumber(zel::edits::Sources{*index, texts}, move.kind, move.from, move.to);
        const zel::edits::Plan* plan = std::get_if<zel::edits::Plan>(&outcome);
        if (plan == nullptr) {
            state.SkipWithError(std::get<zel::edits::Refusal>(outcome).reason.c_str());
            return;
        }
        const std::vector<std::string> edited = zel::edits::apply(*plan, texts);
        if (whole && zel::edits::check_edited(*index, edited)) {
            state.SkipWithError("the edited source does not compile");
            return;
        }
        benchmark::DoNotOptimize(edited);
    }
}
BENCHMARK(BM_renumber_largest)
    ->ArgsProduct({{0, 1, 2, 3}, {0, 1}})
    ->ArgNames({"kind", "whole"})
    ->Unit(benchmark::kMillisecond);

}  // namespace

// The language server's two phases after a change of the largest valid
// adventure, in memory: phase 1 handles the didChange and publishes the
// compiler's diagnostics, with lint's findings as last shown; phase 2 lints
// and publishes the files whose findings changed. Each iteration makes two
// changes of the number of a MESSAGE action: to 255, a message that does
// not exist (an error: valid:0), then to a valid message other than the one
// before (valid:1), so that lint's findings change; only the phase the row
// names (lint:0 phase 1, lint:1 phase 2) of that change is timed. Under
// callgrind, `--toggle-collect='*lsp_phase*'` counts both phases alone.
struct LspChange {
    zel::lsp::Server server{[this](const std::string&) { ++sent; }, false};
    std::size_t sent = 0;
    int version = 1;
    unsigned line = 0, character = 0, length = 0;  // of the number changed
};

// One phase, kept out of line so that callgrind can count it alone.
[[gnu::noinline]] void lsp_phase1(LspChange& s, const std::string& change) {
    s.server.receive(change);
    s.server.step();
    s.server.idle([] { return true; });  // as though input waited: no lint
}
[[gnu::noinline]] void lsp_phase2(LspChange& s) { s.server.idle(); }

std::string lsp_change(LspChange& s, const std::string& number) {
    const std::string range = "{\"start\":{\"line\":" + std::to_string(s.line) + ",\"character\":" +
                              std::to_string(s.character) + "},\"end\":{\"line\":" + std::to_string(s.line) +
                              ",\"character\":" + std::to_string(s.character + s.length) + "}}";
    s.length = static_cast<unsigned>(number.size());
    return R"({"jsonrpc":"2.0","method":"textDocument/didChange","params":{"textDocument":{"uri":"mem:/a/MAXVALID.SCE","version":)" +
           std::to_string(++s.version) + R"(},"contentChanges":[{"range":)" + range + R"(,"text":")" + number + "\"}]}}";
}

void BM_lsp_change_largest(benchmark::State& state) {
    const std::string source = largest_source(state);
    if (source.empty())
        return;
    const std::size_t at = source.find(" MESSAGE ") + 9;
    LspChange s;
    s.line = static_cast<unsigned>(std::count(source.begin(), source.begin() + static_cast<long>(at), '\n'));
    s.character = static_cast<unsigned>(at - source.rfind('\n', at) - 1);
    s.length = static_cast<unsigned>(source.find_first_not_of("0123456789", at) - at);
    std::string text;  // the source as a JSON string
    for (char ch : source)
        text += ch == '\n' ? std::string("\\n") : ch == '\r' ? std::string("\\r") : ch == '"' ? std::string("\\\"")
                : ch == '\\' ? std::string("\\\\") : ch == '\t' ? std::string("\\t") : std::string(1, ch);
    s.server.receive(R"({"jsonrpc":"2.0","id":0,"method":"initialize","params":{"capabilities":{}}})");
    s.server.receive(R"({"jsonrpc":"2.0","method":"initialized","params":{}})");
    s.server.receive(R"({"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":{"uri":"mem:/a/MAXVALID.SCE","languageId":"zel","version":1,"text":")" +
                     text + "\"}}}");
    s.server.drain();
    const bool valid = state.range(0) == 1, lint = state.range(1) == 1;
    using Clock = std::chrono::steady_clock;
    int next = 0;
    for (auto _ : state) {
        const std::string to_error = lsp_change(s, "255");
        const std::string to_valid = lsp_change(s, std::to_string(next++ % 200));
        const Clock::time_point t0 = Clock::now();
        lsp_phase1(s, to_error);
        const Clock::time_point t1 = Clock::now();
        lsp_phase2(s);
        const Clock::time_point t2 = Clock::now();
        lsp_phase1(s, to_valid);
        const Clock::time_point t3 = Clock::now();
        lsp_phase2(s);
        const Clock::time_point t4 = Clock::now();
        const Clock::duration timed = !valid ? (lint ? t2 - t1 : t1 - t0) : (lint ? t4 - t3 : t3 - t2);
        state.SetIterationTime(std::chrono::duration<double>(timed).count());
    }
    state.counters["messages"] = benchmark::Counter(static_cast<double>(s.sent), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_lsp_change_largest)
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({1, 1})
    ->ArgNames({"valid", "lint"})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
