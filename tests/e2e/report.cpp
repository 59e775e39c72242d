#include "tests/e2e/report.h"

#include "tests/e2e/files.h"
#include "tests/e2e/screen.h"
#include "tests/support/paths.h"
#include "tests/support/text.h"

#include <cstdint>
#include <cstdio>

namespace e2e {

using support::environmentVariable;
using support::joinPath;
using support::narrow;
using support::widen;

std::string quotedBytes(const std::string& bytes) {
    std::string out = "\"";
    for (unsigned char c : bytes) {
        char buf[8];
        switch (c) {
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        default:
            if (c < 0x20 || c == 0x7f) {
                snprintf(buf, sizeof buf, "\\x%02x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

std::string quoted(const std::wstring& text) {
    return quotedBytes(narrow(text));
}

std::string joinLines(const std::vector<std::wstring>& lines) {
    std::string out = "[";
    for (size_t i = 0; i < lines.size(); ++i)
        out += (i ? ", " : "") + quoted(lines[i]);
    return out + "]";
}

namespace {
HANDLE g_out = nullptr;
bool g_outIsConsole = false;
std::string g_case;
bool g_shotTaken = false;
std::vector<std::string> g_cleanupFailures;
} // namespace

void initOutput() {
    if (g_out)
        return;
    g_out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    g_outIsConsole = g_out && g_out != INVALID_HANDLE_VALUE && GetConsoleMode(g_out, &mode);
}

void say(const std::string& line) {
    initOutput();
    if (!g_out || g_out == INVALID_HANDLE_VALUE)
        return;
    std::string text = line + "\n";
    DWORD written = 0;
    if (g_outIsConsole) {
        std::wstring w = widen(text);
        WriteConsoleW(g_out, w.data(), static_cast<DWORD>(w.size()), &written, nullptr);
    } else {
        WriteFile(g_out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
}

void sayKey(const char* key, const std::string& value) {
    say(std::string(key) + "=" + value);
}
void sayKey(const char* key, const std::wstring& value) {
    say(std::string(key) + "=" + narrow(value));
}

void setCurrentCase(const std::string& name) {
    initOutput();
    g_case = name;
    g_shotTaken = false;
    g_cleanupFailures.clear();
}

void screenshotOnFailure() {
    if (g_shotTaken)
        return;
    g_shotTaken = true;
    const std::wstring dir = environmentVariable(L"VANTREL_SHOT_DIR");
    if (dir.empty())
        return;
    std::wstring folder = toWindowsPath(dir);
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring file = joinPath(folder, widen(g_case.empty() ? "e2e" : g_case) + L".bmp");
    bool ok = saveScreenBmp(file);
    sayKey("failure_screenshot", ok ? narrow(file) : "could not be written: " + narrow(file));
}

void fail(const std::string& reason) {
    screenshotOnFailure();
    throw CaseFailure(reason);
}

void skip(const std::string& reason) {
    throw CaseSkipped(reason);
}

void check(bool ok, const std::string& reason) {
    if (!ok)
        fail(reason);
}

void expectEq(const std::string& what, const std::wstring& expected, const std::wstring& actual) {
    if (expected != actual)
        fail(what + ": expected " + quoted(expected) + " got " + quoted(actual));
}

void expectEq(const std::string& what, long long expected, long long actual) {
    if (expected != actual)
        fail(what + ": expected " + std::to_string(expected) + " got " + std::to_string(actual));
}

void expectNear(const std::string& what, long long expected, long long actual, long long tolerance) {
    if (actual < expected - tolerance || actual > expected + tolerance)
        fail(what + ": expected " + std::to_string(expected) + " (+-" + std::to_string(tolerance) + ") got " +
             std::to_string(actual));
}

void noteCleanupFailure(const std::string& reason) {
    say("cleanup_problem=" + reason);
    g_cleanupFailures.push_back(reason);
}

std::vector<std::string> takeCleanupFailures() {
    std::vector<std::string> out;
    out.swap(g_cleanupFailures);
    return out;
}

std::string hex(const void* pointer) {
    char buf[32];
    snprintf(buf, sizeof buf, "0x%llx",
             static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(pointer)));
    return buf;
}

std::string rectText(const RECT& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" + std::to_string(r.right) +
           "," + std::to_string(r.bottom) + ") " + std::to_string(r.right - r.left) + "x" +
           std::to_string(r.bottom - r.top);
}

} // namespace e2e
