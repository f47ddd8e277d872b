// The Win32 backend against the shell's own file operation, and the CPU the
// running program takes, under Wine (or Windows). The file cases hand
// SHFileOperationW the very request the sorting pass builds for the rule:
// same paths, same function, same flags. The CPU cases start the Savrin.exe
// built beside this program in a folder of its own and look at it from
// outside, through its process and window.
#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "settings/settings_encoding.h"
#include "sorting/file_op_request.h"
#include "sorting/file_operation.h"

namespace savrin::bench {
namespace {

constexpr UINT kOrganizeNow = 32773;  // the tray menu's "sort now"
constexpr int kRuleListId = 1000;     // only the main window has it
constexpr int kAddRuleId = 1003;      // disabled while a pass runs
constexpr char kUnflushedNote[] =
    "the engine with its flushes left out (the backend made with Flushing::Skipped); the gap between this line and ours is "
    "what the flushes cost.";
constexpr char kMoveListNote[] =
    "Wine's SHFileOperationW refuses to move more than one file into one folder (ERROR_CANCELLED), so it is "
    "handed the matching files as a list with one destination each (FOF_MULTIDESTFILES added), the list found "
    "with FindFirstFileExW inside the timed part.";
constexpr char kCrossVolumeNote[] =
    "ours flushes each copy and the destination folder before it removes a source; the shell flushes nothing.";

struct Options {
  std::wstring shm = L"Z:\\dev\\shm";  // another volume than the temporary folder
  bool quick = false;
  bool files = true;
  bool cpu = true;
  int idleSeconds = 60;
  int only = 0;  // run this case alone (1-5 for W1-W5, 6 and 7 for C1 and C2, 8 for W6)
};

[[noreturn]] void Fail(const std::string& what) { throw std::runtime_error(what); }

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

std::u16string U(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

double Now() {
  LARGE_INTEGER frequency;
  LARGE_INTEGER counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Seconds(const FILETIME& time) {
  return static_cast<double>((static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 1e7;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void MakeFolder(const std::wstring& path) {
  if (!CreateDirectoryW(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
    Fail("cannot create " + Narrow(path));
  }
}

// The benchmark's own data; whatever will not go is left to the temporary
// folder.
void RemoveTree(const std::wstring& path) {
  std::error_code ignored;
  std::filesystem::remove_all(std::filesystem::path(path), ignored);
}

// As in the native part: what earlier runs left is moved out of the way,
// not deleted, until the end. The disk under Wine is the same ext4 without
// a journal, whose inode allocation passes over every inode freed in the
// last minute.
std::wstring g_setAside;

void FreshFolder(const std::wstring& path) {
  static unsigned counter = 0;
  if (Exists(path)) {
    const std::wstring aside = g_setAside + L"\\" + std::to_wstring(++counter);
    // Across volumes (the tmpfs source) it cannot be moved; tmpfs does not mind a deletion.
    if (!MoveFileExW(path.c_str(), aside.c_str(), 0)) RemoveTree(path);
  }
  MakeFolder(path);
}

void WriteFiles(const std::wstring& folder, int count, size_t size, const std::wstring& stem,
                const std::wstring& extension) {
  std::vector<char> bytes(std::min<size_t>(size, 1 << 20));
  uint64_t x = 0x9E3779B97F4A7C15ull;
  for (char& b : bytes) {
    x ^= x << 13;
    x ^= x >> 7;
    x ^= x << 17;
    b = static_cast<char>(x);
  }
  for (int i = 0; i < count; ++i) {
    wchar_t name[64];
    swprintf(name, 64, L"%ls-%05d.%ls", stem.c_str(), i, extension.c_str());
    const std::wstring path = folder + L"\\" + name;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) Fail("cannot create " + Narrow(path));
    for (size_t done = 0; done < size;) {
      const DWORD chunk = static_cast<DWORD>(std::min(bytes.size(), size - done));
      DWORD written = 0;
      if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written != chunk) Fail("write failed");
      done += chunk;
    }
    CloseHandle(file);
  }
}

void Expect(const std::wstring& folder, int files, uint64_t bytes = 0) {
  int count = 0;
  uint64_t total = 0;
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      ++count;
      total += (static_cast<uint64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
    } while (FindNextFileW(find, &entry));
    FindClose(find);
  }
  if (count != files || (bytes != 0 && total != bytes)) {
    Fail(Narrow(folder) + " holds " + std::to_string(count) + " files, expected " + std::to_string(files));
  }
}

// The reference: the request the pass would publish for this rule, given to
// the shell's operation as it stands.
void ShellOperation(const SortRule& rule) {
  FileOpRequest request;
  if (!BuildRequestPaths(request, rule.Source, rule.Destination, rule.Pattern, rule.Condition)) Fail("path too long");
  SetRequestOperation(request, rule.Condition);
  SHFILEOPSTRUCTW operation{};
  operation.wFunc = request.Function == FileOpFunction::Move ? FO_MOVE : FO_COPY;
  operation.pFrom = reinterpret_cast<const wchar_t*>(request.From);
  operation.pTo = reinterpret_cast<const wchar_t*>(request.To);
  operation.fFlags = request.Flags;
  // Wine's FO_MOVE refuses more than one source for one destination folder
  // (ERROR_CANCELLED, nothing moved), wildcard or list. It is handed the
  // matching files as a list with a destination of their own each
  // (FOF_MULTIDESTFILES), the list found here, on the clock.
  std::wstring sources;
  std::wstring targets;
  if (operation.wFunc == FO_MOVE && rule.Pattern.find_first_of(u"*?") != std::u16string::npos) {
    const std::wstring from(rule.Source.begin(), rule.Source.end());
    const std::wstring to(rule.Destination.begin(), rule.Destination.end());
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileExW(reinterpret_cast<const wchar_t*>(request.From), FindExInfoBasic, &entry,
                                   FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        if (entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
        sources += from + L"\\" + entry.cFileName;
        sources.push_back(L'\0');
        targets += to + L"\\" + entry.cFileName;
        targets.push_back(L'\0');
      } while (FindNextFileW(find, &entry));
      FindClose(find);
    }
    sources.push_back(L'\0');
    targets.push_back(L'\0');
    operation.pFrom = sources.c_str();
    operation.pTo = targets.c_str();
    operation.fFlags |= FOF_MULTIDESTFILES;
  }
  const int result = SHFileOperationW(&operation);
  if (result != 0 || operation.fAnyOperationsAborted) Fail("SHFileOperationW failed: " + std::to_string(result));
}

// The least any copy that survives a power cut does for each file, through
// the platform's own calls and one file at a time: CopyFileExW to a
// temporary name, FlushFileBuffers, MoveFileExW into place without
// replacing. Wine's CopyFileExW calls no progress routine that could hand
// over the new file's handle, so the copy is opened again to be flushed, as
// ours does there.
void DurableFloor(const std::wstring& in, const std::wstring& out) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileExW((in + L"\\*").c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr,
                                 FIND_FIRST_EX_LARGE_FETCH);
  if (find == INVALID_HANDLE_VALUE) Fail("cannot list " + Narrow(in));
  do {
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(entry.cFileName);
  } while (FindNextFileW(find, &entry));
  FindClose(find);
  for (const std::wstring& name : names) {
    const std::wstring temporary = out + L"\\.floor-" + name;
    if (!CopyFileExW((in + L"\\" + name).c_str(), temporary.c_str(), nullptr, nullptr, nullptr,
                     COPY_FILE_FAIL_IF_EXISTS)) {
      Fail("CopyFileExW " + Narrow(name));
    }
    HANDLE copy = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (copy == INVALID_HANDLE_VALUE || !FlushFileBuffers(copy)) Fail("FlushFileBuffers " + Narrow(name));
    CloseHandle(copy);
    if (!MoveFileExW(temporary.c_str(), (out + L"\\" + name).c_str(), 0)) Fail("MoveFileExW " + Narrow(name));
  }
}

std::unique_ptr<RealPassHost> MakeHost() {
  return std::make_unique<RealPassHost>(MakePlatformFileSystem(), MakePlatformFileSystem());
}

std::wstring ModuleFolder() {
  wchar_t path[MAX_PATH + 1] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  return folder.substr(0, folder.find_last_of(L'\\'));
}

bool UnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string WineVersion() {
  using Version = const char*(CDECL*)();
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  auto version = ntdll ? reinterpret_cast<Version>(reinterpret_cast<void*>(GetProcAddress(ntdll, "wine_get_version")))
                       : nullptr;
  return version ? std::string("Wine ") + version() : "Windows (no Wine)";
}

// ---- the program from outside ---------------------------------------------

void WriteBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) Fail("cannot write " + Narrow(path));
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

class Process {
 public:
  Process(const std::wstring& exe, const std::wstring& arguments, const std::wstring& folder) {
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
      Fail("cannot start " + Narrow(exe));
    }
    CloseHandle(info.hThread);
    handle_ = info.hProcess;
    id_ = info.dwProcessId;
  }
  ~Process() {
    if (WaitForSingleObject(handle_, 0) != WAIT_OBJECT_0) {
      TerminateProcess(handle_, 1);
      WaitForSingleObject(handle_, 5000);
    }
    CloseHandle(handle_);
  }
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  HANDLE Handle() const { return handle_; }
  bool WaitForExit(DWORD milliseconds) const { return WaitForSingleObject(handle_, milliseconds) == WAIT_OBJECT_0; }

  // User plus kernel time of the whole process so far. Under Wine the sum
  // over its live threads: Wine's GetProcessTimes does not follow another
  // process's CPU (asked about Savrin.exe it gave a figure that did not
  // move while /proc counted 90 ms in 20 s), its GetThreadTimes does.
  double CpuSeconds() const {
    if (!UnderWine()) {
      FILETIME created, exited, kernel, user;
      if (!GetProcessTimes(handle_, &created, &exited, &kernel, &user)) Fail("GetProcessTimes failed");
      return Seconds(kernel) + Seconds(user);
    }
    double threads = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot != INVALID_HANDLE_VALUE) {
      THREADENTRY32 entry{};
      entry.dwSize = sizeof entry;
      for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != id_) continue;
        HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID);
        if (thread == nullptr) continue;
        FILETIME c, e, k, u;
        if (GetThreadTimes(thread, &c, &e, &k, &u)) threads += Seconds(k) + Seconds(u);
        CloseHandle(thread);
      }
      CloseHandle(snapshot);
    }
    return threads;
  }

  HWND WaitForMainWindow(DWORD milliseconds) const {
    WaitForInputIdle(handle_, milliseconds);
    const double deadline = Now() + milliseconds / 1000.0;
    while (Now() < deadline) {
      struct Search {
        DWORD id;
        HWND found;
      } search{id_, nullptr};
      EnumWindows(
          [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            if (owner == s->id && std::wstring(name) == L"#32770" && GetDlgItem(window, kRuleListId) != nullptr) {
              s->found = window;
              return FALSE;
            }
            return TRUE;
          },
          reinterpret_cast<LPARAM>(&search));
      if (search.found != nullptr) return search.found;
      Sleep(50);
    }
    Fail("the main window did not appear");
  }

 private:
  HANDLE handle_ = nullptr;
  DWORD id_ = 0;
};

// Savrin.exe copied into a folder of its own with the settings given, so
// that it reads and writes nothing else.
std::unique_ptr<Process> StartSavrin(const std::wstring& folder, const std::wstring& settings) {
  const std::wstring exe = folder + L"\\Savrin.exe";
  if (!CopyFileW((ModuleFolder() + L"\\Savrin.exe").c_str(), exe.c_str(), FALSE)) {
    Fail("no Savrin.exe beside the benchmark");
  }
  WriteBytes(folder + L"\\Savrin.ini", EncodeSettingsText(U(settings)));
  return std::make_unique<Process>(exe, L"", folder);
}

void Close(Process& savrin, HWND main) {
  PostMessageW(main, WM_CLOSE, 0, 0);
  if (!savrin.WaitForExit(20000)) std::fprintf(stderr, "  Savrin.exe did not end on WM_CLOSE; terminated\n");
}

double ThreadCpuSeconds(HANDLE thread) {
  FILETIME created, exited, kernel, user;
  if (!GetThreadTimes(thread, &created, &exited, &kernel, &user)) Fail("GetThreadTimes failed");
  return Seconds(kernel) + Seconds(user);
}

bool PassRunning(HWND main) { return IsWindowEnabled(GetDlgItem(main, kAddRuleId)) == FALSE; }

template <typename Condition>
bool WaitUntil(Condition condition, double seconds, DWORD poll = 20) {
  const double deadline = Now() + seconds;
  while (!condition()) {
    if (Now() > deadline) return false;
    Sleep(poll);
  }
  return true;
}

struct Bench {
  Options options;
  std::wstring root;  // under the temporary folder, on the disk
  std::wstring shm;   // on another volume
  std::vector<Row> rows;
  double copySecondsPerFile = 0;  // ours, small files, for sizing the long operation

  int Scaled(int count) const { return options.quick ? std::max(2, count / 20) : count; }
  int Repetitions(int count) const { return options.quick ? 1 : count; }

  // Ours, the shell's operation, and for copies ours once more without its
  // flushes, to show what they cost; then any further references, whose
  // times come back in the order given, after the first two.
  std::vector<std::vector<double>> Compare(const std::string& what, int repetitions, const SortRule& rule,
                                           const std::function<void()>& prepare, const std::function<void()>& check,
                                           double target, const std::string& note, bool flushes,
                                           const std::vector<Contender>& more = {}) {
    auto host = MakeHost();
    auto unflushed =
        std::make_unique<RealPassHost>(MakePlatformFileSystem(), MakePlatformFileSystem(Flushing::Skipped));
    host->rules = {rule};
    unflushed->rules = {rule};
    std::vector<Contender> contenders = {{"ours", prepare, [&] { host->RunPass(); }, check},
                                         {"SHFileOperationW", prepare, [&] { ShellOperation(rule); }, check}};
    contenders.insert(contenders.end(), more.begin(), more.end());
    if (flushes) {
      contenders.push_back({"ours without flushes (diagnostic)", prepare, [&] { unflushed->RunPass(); }, check});
    }
    auto seconds = Measure(Repetitions(repetitions), contenders);
    rows.emplace_back(what, Median(seconds[0]), "`SHFileOperationW`", Median(seconds[1]), target, "s", note);
    if (flushes) {
      rows.emplace_back(what + ", ours without flushes (diagnostic)", Median(seconds.back()), "`SHFileOperationW`",
                        Median(seconds[1]), 0, "s", kUnflushedNote);
      seconds.pop_back();
    }
    return seconds;
  }

  void SameVolumeMove() {
    const int count = Scaled(1000);
    const std::wstring in = root + L"\\move-in";
    const std::wstring out = root + L"\\move-out";
    std::fprintf(stderr, "same-volume move of %d files\n", count);
    Compare("W1. move " + std::to_string(count) + " x 256 B, same volume", 3,
            MakeRule(U(in), U(out), u"*.txt", SortMethod::Move, CollisionMode::Rename),
            [&] {
              FreshFolder(in);
              FreshFolder(out);
              WriteFiles(in, count, 256, L"note", L"txt");
            },
            [&] {
              Expect(out, count);
              Expect(in, 0);
            },
            1.0, kMoveListNote, false);
  }

  void Copies(int count, size_t size) {
    const std::wstring in = root + L"\\copy-in-" + std::to_wstring(size);
    const std::wstring out = root + L"\\copy-out-" + std::to_wstring(size);
    const std::string label =
        size >= (1u << 20) ? std::to_string(size >> 20) + " MiB" : std::to_string(size >> 10) + " KiB";
    std::fprintf(stderr, "copy of %d files of %s\n", count, label.c_str());
    FreshFolder(in);
    WriteFiles(in, count, size, L"data", L"bin");
    const uint64_t total = static_cast<uint64_t>(count) * size;
    const size_t first = rows.size();
    const bool large = size >= (1u << 20);
    const auto prepare = [&] {
      if (large) RemoveTree(out);
      FreshFolder(out);
    };
    const auto check = [&] { Expect(out, count, total); };
    // Large copies are bound by the disk, which the shell's copy never
    // waits for: theirs is measured against the same copies made durable
    // one by one, and the shell only informs.
    const std::string what = "W2. copy " + std::to_string(count) + " x " + label;
    const auto seconds =
        Compare(what, 3, MakeRule(U(in), U(out), u"*.bin", SortMethod::Copy, CollisionMode::Rename), prepare, check,
                large ? 0 : 0.75,
                large ? "ours flushes every copy (FlushFileBuffers) before it renames it into place; the shell's "
                        "copy flushes nothing, and for large files the flushes are most of the time, so this line "
                        "only informs."
                      : "ours flushes every copy (FlushFileBuffers) before it renames it into place; the shell's "
                        "copy flushes nothing.",
                true,
                {{"durable floor (CopyFileExW, FlushFileBuffers, MoveFileExW)", prepare,
                  [&] { DurableFloor(in, out); }, check}});
    rows.emplace_back(what, rows[first].ours, "durable floor: CopyFileExW, FlushFileBuffers, MoveFileExW",
                      Median(seconds[2]), large ? 1.1 : 0, "s",
                      "a loop in this process doing for each file in turn only the steps a copy needs to survive "
                      "a power cut, through the platform's calls (the copy opened again to be flushed, as Wine's "
                      "CopyFileExW hands over no handle), one flush at a time and nothing checked.");
    if (!large) copySecondsPerFile = rows[first].ours / count;
  }

  void CrossVolumeMove() {
    const int count = Scaled(500);
    const std::wstring in = shm + L"\\xmove-in";
    const std::wstring out = root + L"\\xmove-out";
    std::fprintf(stderr, "move of %d files of 64 KiB between volumes\n", count);
    Compare("W3. move " + std::to_string(count) + " x 64 KiB, " + Narrow(options.shm.substr(0, 2)) + " (tmpfs) -> C:",
            3, MakeRule(U(in), U(out), u"*.bin", SortMethod::Move, CollisionMode::Rename),
            [&] {
              FreshFolder(in);
              FreshFolder(out);
              WriteFiles(in, count, 64 << 10, L"chunk", L"bin");
            },
            [&] {
              Expect(out, count, static_cast<uint64_t>(count) << 16);
              Expect(in, 0);
            },
            1.0, std::string(kCrossVolumeNote) + " " + kMoveListNote, true);
  }

  void RenameCollisions() {
    const int count = Scaled(200);
    const int passes = 5;
    const std::wstring in = root + L"\\collide-in";
    const std::wstring out = root + L"\\collide-out";
    std::fprintf(stderr, "%d passes of a copy rule whose %d files all collide\n", passes, count);
    FreshFolder(in);
    WriteFiles(in, count, 1024, L"doc", L"txt");
    const SortRule rule = MakeRule(U(in), U(out), u"*.txt", SortMethod::Copy, CollisionMode::Rename);
    auto host = MakeHost();
    auto unflushed =
        std::make_unique<RealPassHost>(MakePlatformFileSystem(), MakePlatformFileSystem(Flushing::Skipped));
    host->rules = {rule};
    unflushed->rules = {rule};
    const auto checkOurs = [&] {
      Expect(out, count * (passes + 1));
      if (!Exists(out + L"\\doc-00000 (6).txt")) Fail("no doc-00000 (6).txt");
    };
    const auto prepare = [&] {
      FreshFolder(out);
      WriteFiles(out, count, 512, L"doc", L"txt");
      for (int p = 1; p <= passes; ++p) MakeFolder(out + L"\\p" + std::to_wstring(p));
    };
    const auto seconds = Measure(
        Repetitions(3),
        {{"ours (5 passes, copy + rename)", prepare, [&] { for (int p = 0; p < passes; ++p) host->RunPass(); },
          checkOurs},
         {"5 x SHFileOperationW into empty folders", prepare,
          [&] {
            for (int p = 1; p <= passes; ++p) {
              ShellOperation(MakeRule(U(in), U(out + L"\\p" + std::to_wstring(p)), u"*.txt", SortMethod::Copy,
                                      CollisionMode::Rename));
            }
          },
          [&] {
            for (int p = 1; p <= passes; ++p) Expect(out + L"\\p" + std::to_wstring(p), count);
          }},
         {"ours without flushes (diagnostic)", prepare,
          [&] { for (int p = 0; p < passes; ++p) unflushed->RunPass(); }, checkOurs}});
    rows.emplace_back("W4. " + std::to_string(passes) + " passes x " + std::to_string(count) +
                          " colliding 1 KiB files, copy + rename",
                      Median(seconds[0]), "5 x `SHFileOperationW` into empty folders", Median(seconds[1]), 1.0, "s",
                      "the same number of copies: Wine's SHFileOperationW does not honour FOF_RENAMEONCOLLISION "
                      "(it replaces the file there), so it cannot do the renaming job itself.");
    rows.emplace_back("W4. same, ours without flushes (diagnostic)", Median(seconds[2]),
                      "5 x `SHFileOperationW` into empty folders", Median(seconds[1]), 0, "s", kUnflushedNote);
  }

  // A camera's or a scanner's worth of small files dropped into a watched
  // folder at once, all gone in one pass: what a user waits for is the
  // engine working through one long operation, not the pass around it.
  void BulkArrival() {
    const int count = Scaled(5000);
    const std::wstring in = shm + L"\\bulk-in";
    const std::wstring out = root + L"\\bulk-out";
    std::fprintf(stderr, "one pass moving %d files of 4 KiB between volumes\n", count);
    Compare("W6. bulk arrival: one pass moving " + std::to_string(count) + " x 4 KiB, " +
                Narrow(options.shm.substr(0, 2)) + " (tmpfs) -> C:",
            3, MakeRule(U(in), U(out), u"*.jpg", SortMethod::Move, CollisionMode::Rename),
            [&] {
              FreshFolder(in);
              FreshFolder(out);
              WriteFiles(in, count, 4096, L"photo", L"jpg");
            },
            [&] {
              Expect(out, count, static_cast<uint64_t>(count) * 4096);
              Expect(in, 0);
            },
            1.0, std::string(kCrossVolumeNote) + " " + kMoveListNote, true);
  }

  void IdleRules() {
    const int count = Scaled(1000);
    const std::wstring in = root + L"\\rules-in";
    const std::wstring out = root + L"\\rules-out";
    std::fprintf(stderr, "a pass over %d rules with nothing to move\n", count);
    FreshFolder(in);
    FreshFolder(out);
    auto host = MakeHost();
    std::vector<std::wstring> folders;
    for (int i = 0; i < count; ++i) {
      const std::wstring source = in + L"\\" + std::to_wstring(i);
      const std::wstring destination = out + L"\\" + std::to_wstring(i);
      MakeFolder(source);
      MakeFolder(destination);
      WriteFiles(source, 3, 100, L"note", L"txt");
      folders.push_back(source);
      folders.push_back(destination);
      host->rules.push_back(MakeRule(U(source), U(destination), u"*.pdf", SortMethod::Move, CollisionMode::Rename));
    }
    const auto seconds = Measure(Repetitions(5), {{"ours (pass over the rules)", nullptr, [&] { host->RunPass(); }, nullptr},
                                                  {"GetFileAttributesW of each rule's two folders", nullptr,
                                                   [&] {
                                                     for (const std::wstring& folder : folders) {
                                                       if (!Exists(folder)) Fail("missing " + Narrow(folder));
                                                     }
                                                   },
                                                   nullptr}});
    rows.emplace_back("W5. pass over " + std::to_string(count) + " rules, nothing to move, per rule",
                      Median(seconds[0]) * 1e6 / count, "`GetFileAttributesW` of source and destination folder",
                      Median(seconds[1]) * 1e6 / count, 0, "us");
  }

  // ---- CPU ----

  // The whole program, monitoring on with a one-second interval and no
  // rules, beside the least a window with the same 100 ms timer can cost
  // (a bench process whose window has only that timer) and a process that
  // only sleeps, over the same minute. The pointer is moved off the window
  // first: resting on a control with a tip keeps the tip's own 100 ms timer
  // running, which is the tip control's cost, not the program's.
  void IdleProcess() {
    const std::wstring folder = root + L"\\idle";
    FreshFolder(folder);
    std::fprintf(stderr, "Savrin.exe idle for %d s\n", options.idleSeconds);
    auto savrin = StartSavrin(folder, L"[Option]\r\nTime=1\r\nStatus=0\r\n");
    wchar_t self[MAX_PATH + 1] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    Process timerWindow(self, L"--timer-window", L"");
    Process sleeper(self, L"--sleeper", L"");
    const HWND main = savrin->WaitForMainWindow(30000);
    SetCursorPos(0, 0);
    Sleep(2000);  // start-up is not idling
    const double wall0 = Now();
    const double ours0 = savrin->CpuSeconds();
    const double timer0 = timerWindow.CpuSeconds();
    const double sleeper0 = sleeper.CpuSeconds();
    Sleep(static_cast<DWORD>(options.idleSeconds) * 1000);
    const double wall = Now() - wall0;
    const double ours = (savrin->CpuSeconds() - ours0) / wall * 100;
    const double timer = (timerWindow.CpuSeconds() - timer0) / wall * 100;
    const double sleeping = (sleeper.CpuSeconds() - sleeper0) / wall * 100;
    Close(*savrin, main);
    const std::string note =
        "process CPU (user + kernel) over the wall time; under Wine summed over the process's threads "
        "(GetThreadTimes), the work wineserver does for the process not counted, times in 10 ms steps.";
    Row row("C1. Savrin.exe idle " + std::to_string(options.idleSeconds) +
                " s, interval 1 s, no rules, pointer off the window (% of a core)",
            ours, "a window with only a 100 ms timer", timer, 0.1, "%", note);
    row.absolute = true;
    rows.push_back(row);
    Row floor("C1. same, a process that only sleeps (% of a core)", ours, "`Sleep(INFINITE)`", sleeping, 0, "%");
    floor.absolute = true;
    rows.push_back(floor);
  }

  // The user-interface thread while the window waits for a long copy, and
  // how soon the window answers meanwhile.
  void WaitingWindow() {
    const std::wstring folder = root + L"\\waiting";
    FreshFolder(folder);
    const std::wstring in = folder + L"\\in";
    const std::wstring out = folder + L"\\out";
    MakeFolder(in);
    if (copySecondsPerFile <= 0) {
      // Not sized by the copy case: measure ours on a few files now.
      const std::wstring probeIn = folder + L"\\probe-in";
      const std::wstring probeOut = folder + L"\\probe-out";
      MakeFolder(probeIn);
      WriteFiles(probeIn, 200, 4096, L"data", L"bin");
      auto host = MakeHost();
      host->rules = {MakeRule(U(probeIn), U(probeOut), u"*.bin", SortMethod::Copy, CollisionMode::Rename)};
      const double start = Now();
      host->RunPass();
      copySecondsPerFile = (Now() - start) / 200;
    }
    // A file takes the program's pass about twice as long as the bench's
    // own (measured: 22 s for 3,759 files sized at 2.7 ms each), so half
    // the count comes to about ten seconds.
    const int count =
        options.quick ? 200 : std::clamp(static_cast<int>(10.0 / copySecondsPerFile / 2), 300, 20000);
    std::fprintf(stderr, "the window waiting for a copy of %d files of 4 KiB\n", count);
    WriteFiles(in, count, 4096, L"data", L"bin");
    // Copy, overwrite, wildcard: every pass does the whole copy again.
    const std::wstring settings = L"[Source]\r\n0=" + in + L"\r\n[Destination]\r\n0=" + out +
                                  L"\r\n[Pattern]\r\n0=*.bin\r\n[Condition]\r\n0=" +
                                  std::to_wstring(BuildConditionWord(1, 1, 1)) +
                                  L"\r\n[Option]\r\nStatus=1\r\nTime=60\r\n";
    auto savrin = StartSavrin(folder, settings);
    const HWND main = savrin->WaitForMainWindow(30000);
    const DWORD threadId = GetWindowThreadProcessId(main, nullptr);
    HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, threadId);
    if (thread == nullptr) Fail("cannot open the window's thread");

    const auto startPass = [&] {
      PostMessageW(main, WM_COMMAND, kOrganizeNow, 0);
      if (!WaitUntil([&] { return PassRunning(main); }, 10)) Fail("the pass did not start");
    };

    // First pass: the thread's CPU time alone, nothing else asked of it.
    startPass();
    const double wall0 = Now();
    const double cpu0 = ThreadCpuSeconds(thread);
    if (!WaitUntil([&] { return !PassRunning(main); }, 600, 50)) Fail("the pass did not end");
    const double wall = Now() - wall0;
    const double share = (ThreadCpuSeconds(thread) - cpu0) / wall * 100;
    Expect(out, count, static_cast<uint64_t>(count) * 4096);

    // Second pass: the same wait, with a message sent now and then.
    startPass();
    std::vector<double> answers;
    while (answers.size() < 50 && PassRunning(main)) {
      const double sent = Now();
      DWORD_PTR result = 0;
      if (!SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result)) Fail("no answer within 5 s");
      answers.push_back(Now() - sent);
      Sleep(100);
    }
    WaitUntil([&] { return !PassRunning(main); }, 600, 50);
    CloseHandle(thread);
    Close(*savrin, main);

    char note[200];
    std::snprintf(note, sizeof note, "one pass copying %d files of 4 KiB (copy, overwrite), %.1f s of wall time", count,
                  wall);
    Row cpu("C2. UI thread while the window waits for the copy (% of a core)", share, "-", 0, 1.0, "%",
            std::string(note) + "; thread CPU from GetThreadTimes over the wall time.");
    cpu.absolute = true;
    rows.push_back(cpu);
    Row median("C2. answer to SendMessageTimeout(WM_NULL) during the copy, median of " +
                   std::to_string(answers.size()),
               Median(answers), "-", 0, 0.2, "s", std::string(note) + "; probes 100 ms apart.");
    median.absolute = true;
    rows.push_back(median);
    Row maximum("C2. answer to SendMessageTimeout(WM_NULL) during the copy, max of " + std::to_string(answers.size()),
                Maximum(answers), "-", 0, 0.2, "s");
    maximum.absolute = true;
    rows.push_back(maximum);
  }
};

Options Parse(int argc, wchar_t** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    if (arg == L"--quick") {
      options.quick = true;
      options.idleSeconds = 5;
    } else if (arg == L"--files-only") {
      options.cpu = false;
    } else if (arg == L"--cpu-only") {
      options.files = false;
    } else if (arg == L"--shm" && i + 1 < argc) {
      options.shm = argv[++i];
    } else if (arg == L"--case" && i + 1 < argc) {
      options.only = _wtoi(argv[++i]);
    } else if (arg == L"--idle-seconds" && i + 1 < argc) {
      options.idleSeconds = std::max(1, _wtoi(argv[++i]));
    } else {
      Fail("usage: savrin_bench.exe [--quick] [--files-only | --cpu-only] [--case N] [--shm FOLDER] [--idle-seconds N]\n"
           "  --case N: 1-5 for W1-W5, 6 and 7 for C1 and C2, 8 for W6");
    }
  }
  return options;
}

std::wstring MakeTemporaryFolder(const std::wstring& parent) {
  for (unsigned n = GetTickCount() % 100000;; ++n) {
    const std::wstring path = parent + L"\\savrin-bench-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(n);
    if (CreateDirectoryW(path.c_str(), nullptr)) return path;
    if (GetLastError() != ERROR_ALREADY_EXISTS) Fail("cannot make a folder in " + Narrow(parent));
  }
}

// A visible window whose only work is a 100 ms timer that does nothing: the
// floor under the program's own idle cost.
int RunTimerWindow() {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"SavrinBenchTimerWindow";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowW(windowClass.lpszClassName, L"timer", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300,
                              200, nullptr, nullptr, windowClass.hInstance, nullptr);
  SetTimer(window, 1, 100, nullptr);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}

int Main(int argc, wchar_t** argv) {
  if (argc == 2 && std::wstring(argv[1]) == L"--sleeper") {
    Sleep(INFINITE);
    return 0;
  }
  if (argc == 2 && std::wstring(argv[1]) == L"--timer-window") return RunTimerWindow();
  Bench bench;
  bench.options = Parse(argc, argv);
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH, temp);
  std::wstring tempFolder(temp);
  if (!tempFolder.empty() && tempFolder.back() == L'\\') tempFolder.pop_back();
  bench.root = MakeTemporaryFolder(tempFolder);
  g_setAside = bench.root + L"\\set-aside";
  MakeFolder(g_setAside);
  const bool haveShm = Exists(bench.options.shm);
  if (haveShm) bench.shm = MakeTemporaryFolder(bench.options.shm);
  struct Cleanup {
    Bench& bench;
    ~Cleanup() {
      RemoveTree(bench.root);
      if (!bench.shm.empty()) RemoveTree(bench.shm);
    }
  } cleanup{bench};

  std::printf("## Windows benchmark (Win32 backend against SHFileOperationW), %s\n\n", WineVersion().c_str());
  std::printf("- disk folder: %s\n", Narrow(bench.root).c_str());
  std::printf("- other volume: %s\n", haveShm ? Narrow(bench.shm).c_str() : "none");
  std::printf("- medians of %s after one warm-up\n\n", bench.options.quick ? "1 run" : "3-5 runs");
  std::fflush(stdout);

  const auto wanted = [&](int number) { return bench.options.only == 0 || bench.options.only == number; };
  if (bench.options.files) {
    if (wanted(1)) bench.SameVolumeMove();
    if (wanted(2)) {
      bench.Copies(bench.options.quick ? 2 : 4, bench.options.quick ? (1u << 20) : (64u << 20));
      bench.Copies(bench.Scaled(500), 4096);
    }
    if (wanted(3) && haveShm) bench.CrossVolumeMove();
    if (wanted(4)) bench.RenameCollisions();
    if (wanted(5)) bench.IdleRules();
    if (wanted(8) && haveShm) bench.BulkArrival();
  }
  if (bench.options.cpu) {
    if (wanted(6)) bench.IdleProcess();
    if (wanted(7)) bench.WaitingWindow();
  }
  PrintTable("Under Wine: file operations and CPU", bench.rows);
  return 0;
}

}  // namespace
}  // namespace savrin::bench

int wmain(int argc, wchar_t** argv) {
  try {
    return savrin::bench::Main(argc, argv);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "savrin_bench: %s\n", error.what());
    return 1;
  }
}
