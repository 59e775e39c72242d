// What the driver prints and how a case fails: one key=value line at a time on standard output, failures as
// exceptions that the runner turns into the case's exit code, a screenshot of the first failure.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace e2e {

// Quotes for diagnostics, with control characters escaped so that a stray \r or trailing space is visible.
std::string quoted(const std::wstring& text);
std::string quotedBytes(const std::string& bytes);
// Lines as ["a", "b"], each quoted.
std::string joinLines(const std::vector<std::wstring>& lines);

// Takes hold of the standard output handle; call before the console is freed or changed.
void initOutput();
// Writes one line to the driver's standard output at once (no buffering, so nothing is lost on a crash).
void say(const std::string& line);
template <class T> void sayKey(const char* key, const T& value) {
    say(std::string(key) + "=" + std::to_string(value));
}
void sayKey(const char* key, const std::string& value);
void sayKey(const char* key, const std::wstring& value);

struct CaseFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};
// Thrown when this environment cannot produce the situation a case needs (not a fault of vantrel).
struct CaseSkipped : std::runtime_error {
    using std::runtime_error::runtime_error;
};
// Exit code of a skipped case (ctest: SKIP_RETURN_CODE).
constexpr int kSkipExitCode = 77;

// The case being run: its name names the failure screenshot.
void setCurrentCase(const std::string& name);
// Saves CASE.bmp in VANTREL_SHOT_DIR (once per case) when that variable is set.
void screenshotOnFailure();
[[noreturn]] void fail(const std::string& reason);
[[noreturn]] void skip(const std::string& reason);
void check(bool ok, const std::string& reason);
void expectEq(const std::string& what, const std::wstring& expected, const std::wstring& actual);
void expectEq(const std::string& what, long long expected, long long actual);
void expectNear(const std::string& what, long long expected, long long actual, long long tolerance);
// Problems found while cleaning up (a destructor cannot throw): they fail the case afterwards.
void noteCleanupFailure(const std::string& reason);
std::vector<std::string> takeCleanupFailures();

std::string hex(const void* pointer);
std::string rectText(const RECT& r);

} // namespace e2e
