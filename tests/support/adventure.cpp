#include "adventure.h"

#include "driver/compile.h"

namespace zel::testing {

std::string Sections::system_messages(int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text.append("/").append(std::to_string(i)).append("\nSystem message ").append(std::to_string(i)).append(".\n");
    return text;
}

Sections Sections::three_locations() {
    Sections s;
    s.voc += "QUICK 50 ADVERB\nINTO 60 PREPOSITION\nNINE 19 NOUN\nTWENTY 20 NOUN\n";
    s.ltx += "/2\nA cellar.\n";
    s.con = "/0\nN 1\n/1\nS 0\n/2\n";
    return s;
}

std::string Sections::source() const {
    std::string text = "/CTL\n" + ctl + "/VOC\n" + voc + "/STX\n" + stx + "/MTX\n" + mtx + "/OTX\n" + otx +
                       "/LTX\n" + ltx + "/CON\n" + con + "/OBJ\n" + obj;
    for (std::size_t t = 0; t < pro.size(); ++t)
        text.append("/PRO ").append(std::to_string(t)).append("\n").append(pro[t]);
    return text;
}

RunResult run(const std::map<std::string, std::string>& files, const std::vector<std::string>& args,
              const Faults& faults) {
    RunResult result;
    result.fs.files = files;
    result.fs.faults = faults;
    CaptureConsole console;
    result.status = compile(args, console, result.fs);
    result.out = console.stdout_text;
    result.err = console.stderr_text;
    return result;
}

RunResult run(const std::string& source, const std::vector<std::string>& args) {
    return run(std::map<std::string, std::string>{{"GAME.SCE", source}}, args);
}

std::string with_crlf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (const char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

}  // namespace zel::testing
