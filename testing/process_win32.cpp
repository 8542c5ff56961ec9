// run_process on Windows: CreateProcessW with the output streams in files of a scoped folder.
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/wide_text_win32.h"
#include "testing/process.h"
#include "testing/temp_folder.h"

namespace compactor::testing {
namespace {

// One argument quoted the way the C runtime splits a command line again.
void append_quoted(std::wstring& line, const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) {
    line += arg;
    return;
  }
  line += L'"';
  size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"')
      line.append(backslashes * 2 + 1, L'\\');
    else
      line.append(backslashes, L'\\');
    backslashes = 0;
    line += c;
  }
  line.append(backslashes * 2, L'\\');
  line += L'"';
}

HANDLE inheritable_file(const std::filesystem::path& path) {
  SECURITY_ATTRIBUTES sa{};
  sa.nLength = sizeof sa;
  sa.bInheritHandle = TRUE;
  return CreateFileW(path.wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

ProcessResult run_process(const std::vector<std::string>& argv, const std::filesystem::path& cwd) {
  ProcessResult result;
  TempFolder capture("compactor-capture");
  {
    std::wstring line;
    for (size_t i = 0; i < argv.size(); ++i) {
      if (i) line += L' ';
      append_quoted(line, widen(argv[i]));
    }
    HANDLE out = inheritable_file(capture / "out");
    HANDLE err = inheritable_file(capture / "err");
    if (out == INVALID_HANDLE_VALUE || err == INVALID_HANDLE_VALUE) return result;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = out;
    si.hStdError = err;
    PROCESS_INFORMATION pi{};
    const std::wstring program = widen(argv.at(0));
    const std::wstring folder = cwd.wstring();
    SetEnvironmentVariableW(L"DISPLAY", nullptr);
    SetEnvironmentVariableW(L"LC_ALL", L"C");
    // A bare name is looked up on PATH, as a shell does.
    const bool bare = program.find_first_of(L"\\/") == std::wstring::npos;
    const BOOL started = CreateProcessW(bare ? nullptr : program.c_str(), line.data(), nullptr, nullptr, TRUE,
                                        0, nullptr, folder.c_str(), &si, &pi);
    CloseHandle(out);
    CloseHandle(err);
    if (!started) return result;
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0;
    if (GetExitCodeProcess(pi.hProcess, &code)) result.status = static_cast<int>(code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  result.out = read_file(capture / "out");
  result.err = read_file(capture / "err");
  return result;
}

}  // namespace compactor::testing
