// The POSIX backend against coreutils on the same data, in the same run.
// Every case prepares its own files under a fresh temporary folder (on the
// disk: --dir, default $TMPDIR or /tmp) and, for the move between volumes,
// under /dev/shm (--shm). Nothing here is a test: it only measures.
#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_support.h"
#include "platform/utf.h"

extern char** environ;

namespace savrin::bench {
namespace {

struct Options {
  std::string dir;
  std::string shm = "/dev/shm";
  bool quick = false;  // tiny sizes, one run: only shows that every case works
  int only = 0;        // run this case alone (1-5), for a profiler
  bool oursOnly = false;
};

[[noreturn]] void Fail(const std::string& what) { throw std::runtime_error(what); }

std::u16string U(const std::string& path) { return *DecodeUtf8(path); }

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

void MakeFolder(const std::string& path) {
  if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) Fail("mkdir " + path + ": " + std::strerror(errno));
}

void RemoveTree(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return;
  const auto remove = [](const char* entry, const struct stat*, int, struct FTW*) { return ::remove(entry); };
  if (::nftw(path.c_str(), remove, 64, FTW_DEPTH | FTW_PHYS) != 0) Fail("cannot remove " + path);
}

// Files of an earlier run are set aside here, not deleted, until the whole
// benchmark is over: ext4 without a journal passes over every inode freed in
// the last minute when it allocates one, so deleting thousands of files
// before a run made creating files in that run several times slower, and
// by an amount that depended on what was deleted before it.
std::string g_setAside;

void FreshFolder(const std::string& path) {
  static unsigned counter = 0;
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0) {
    const std::string aside = g_setAside + "/" + std::to_string(++counter);
    if (::rename(path.c_str(), aside.c_str()) != 0) Fail("cannot set aside " + path);
  }
  MakeFolder(path);
}

// Content that no file system can compress or share.
std::vector<char> Pattern(size_t size, unsigned seed) {
  std::vector<char> bytes(size);
  uint64_t x = 0x9E3779B97F4A7C15ull * (seed + 1);
  for (char& b : bytes) {
    x ^= x << 13;
    x ^= x >> 7;
    x ^= x << 17;
    b = static_cast<char>(x);
  }
  return bytes;
}

void WriteFile(const std::string& path, const char* data, size_t size, size_t total) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) Fail("create " + path + ": " + std::strerror(errno));
  for (size_t done = 0; done < total;) {
    const size_t chunk = std::min(size, total - done);
    if (::write(fd, data, chunk) != static_cast<ssize_t>(chunk)) Fail("write " + path);
    done += chunk;
  }
  ::close(fd);
}

std::string NumberedFile(const std::string& stem, int index, const std::string& extension) {
  char name[64];
  std::snprintf(name, sizeof name, "%s-%05d.%s", stem.c_str(), index, extension.c_str());
  return name;
}

void WriteFiles(const std::string& folder, int count, size_t size, const std::string& stem,
                const std::string& extension) {
  const std::vector<char> bytes = Pattern(std::min<size_t>(size, 1 << 20), 7);
  for (int i = 0; i < count; ++i) {
    WriteFile(folder + "/" + NumberedFile(stem, i, extension), bytes.data(), bytes.size(), size);
  }
}

struct Tally {
  int files = 0;
  uint64_t bytes = 0;
};

Tally Count(const std::string& folder) {
  Tally tally;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return tally;
  while (const dirent* entry = ::readdir(dir)) {
    struct stat st {};
    if (entry->d_name[0] == '.' && (entry->d_name[1] == 0 || (entry->d_name[1] == '.' && entry->d_name[2] == 0))) {
      continue;
    }
    if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode)) {
      ++tally.files;
      tally.bytes += static_cast<uint64_t>(st.st_size);
    }
  }
  ::closedir(dir);
  return tally;
}

// The least any copy that survives a power cut does for each file, written
// as plainly as it gets: copy to a temporary name, fsync, rename into place
// without replacing; for a move also fsync the folder and remove the source.
// What ours takes beyond this is the engine's own cost.
void DurableFloor(const std::string& in, const std::string& out, bool move) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(in.c_str());
  if (dir == nullptr) Fail("opendir " + in);
  while (const dirent* entry = ::readdir(dir)) {
    if (entry->d_name[0] != '.') names.emplace_back(entry->d_name);
  }
  ::closedir(dir);
  const int folder = ::open(out.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  std::vector<char> buffer(1 << 16);
  for (const std::string& name : names) {
    const std::string source = in + "/" + name;
    const std::string temporary = out + "/.floor-" + name;
    const int from = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    const int to = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (from < 0 || to < 0) Fail("open " + name);
    ssize_t copied = 0;
    while ((copied = ::copy_file_range(from, nullptr, to, nullptr, size_t{1} << 30, 0)) > 0) {
    }
    if (copied < 0) {
      ssize_t got = 0;
      while ((got = ::read(from, buffer.data(), buffer.size())) > 0) {
        if (::write(to, buffer.data(), static_cast<size_t>(got)) != got) Fail("write " + name);
      }
    }
    if (::fsync(to) != 0) Fail("fsync " + name);
    ::close(to);
    ::close(from);
    if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, (out + "/" + name).c_str(), RENAME_NOREPLACE) != 0) {
      Fail("rename " + name);
    }
    if (move) {
      ::fsync(folder);
      ::unlink(source.c_str());
    }
  }
  ::close(folder);
}

void Expect(const std::string& folder, int files, uint64_t bytes = 0) {
  const Tally tally = Count(folder);
  if (tally.files != files || (bytes != 0 && tally.bytes != bytes)) {
    Fail(folder + " holds " + std::to_string(tally.files) + " files of " + std::to_string(tally.bytes) +
         " bytes, expected " + std::to_string(files));
  }
}

void Shell(const std::string& command) {
  const char* argv[] = {"sh", "-c", command.c_str(), nullptr};
  pid_t pid = 0;
  if (::posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) {
    Fail("cannot start sh");
  }
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    Fail("failed: " + command);
  }
}

void Settle() { ::sync(); }

std::string ReadFirstLine(const std::string& path, const std::string& key) {
  std::ifstream file(path);
  std::string line;
  while (std::getline(file, line)) {
    if (line.rfind(key, 0) == 0) {
      const size_t colon = line.find(':');
      return colon == std::string::npos ? line : line.substr(colon + 2);
    }
  }
  return "unknown";
}

// "ext4 on /dev/vda" for the mount that holds the path.
std::string Volume(const std::string& path) {
  std::ifstream mounts("/proc/mounts");
  std::string device, point, type, rest, best = "unknown";
  size_t bestLength = 0;
  while (mounts >> device >> point >> type && std::getline(mounts, rest)) {
    const bool inside = path == point || point == "/" ||
                        (path.rfind(point, 0) == 0 && path.size() > point.size() && path[point.size()] == '/');
    if (inside && point.size() >= bestLength) {
      bestLength = point.size();
      best = type + " on " + device + " (" + point + ")";
    }
  }
  return best;
}

dev_t DeviceOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) Fail("stat " + path);
  return st.st_dev;
}

constexpr char kFloorNote[] =
    "an in-process loop doing for each file in turn only the steps a copy needs to survive a power cut, one "
    "flush at a time and nothing checked.";
constexpr char kSyncNote[] =
    "the tool, then one `sync`, which writes back everything the tool left in the page cache (and whatever else "
    "the machine has dirty) in one go: the closest the tools come to a durable result.";
constexpr char kUnflushedNote[] =
    "the engine with its flushes left out (the backend made with Flushing::Skipped); the gap between this line "
    "and ours is what the flushes cost.";

std::unique_ptr<RealPassHost> MakeHost(bool flushed = true) {
  return std::make_unique<RealPassHost>(MakePlatformFileSystem(),
                                        MakePlatformFileSystem(flushed ? Flushing::Always : Flushing::Skipped));
}

struct Bench {
  Options options;
  std::string root;  // on the disk
  std::string shm;   // on tmpfs
  std::vector<Row> rows;

  // Measure, or with --ours-only the first contender alone (the others read
  // as no runs).
  std::vector<std::vector<double>> Run(int repetitions, std::vector<Contender> contenders) {
    if (options.oursOnly) {
      auto seconds = Measure(repetitions, {contenders.front()}, Settle);
      seconds.resize(contenders.size());
      return seconds;
    }
    return Measure(repetitions, contenders, Settle);
  }

  int Scaled(int count) const { return options.quick ? std::max(1, count / 20) : count; }
  int Repetitions(int count) const { return options.quick ? 1 : count; }

  // 1. Within one volume every item is one rename.
  void SameVolumeMove() {
    const int count = Scaled(10000);
    const std::string in = root + "/move-in";
    const std::string out = root + "/move-out";
    std::fprintf(stderr, "same-volume move of %d files\n", count);
    auto host = MakeHost();
    host->rules = {MakeRule(U(in), U(out), u"*.txt", SortMethod::Move, CollisionMode::Rename)};
    const auto prepare = [&] {
      FreshFolder(in);
      FreshFolder(out);
      WriteFiles(in, count, 256, "note", "txt");
    };
    const auto check = [&] {
      Expect(out, count);
      Expect(in, 0);
    };
    const auto seconds = Run(Repetitions(9),
                                 {{"ours (move rule *.txt)", prepare, [&] { host->RunPass(); }, check},
                                  {"find | mv -t", prepare,
                                   [&] {
                                     Shell("find " + Quote(in) + " -maxdepth 1 -type f -name '*.txt' -exec mv -t " +
                                           Quote(out) + " -- {} +");
                                   },
                                   check}});
    rows.push_back({"1. move " + std::to_string(count) + " x 256 B, same volume", Median(seconds[0]),
                    "`find ... -exec mv -t`", Median(seconds[1]), 1.2});
  }

  // 2. Copies within the disk, large and small.
  void Copies(int count, size_t size, int repetitions, double target) {
    const std::string label = size >= (1u << 20) ? std::to_string(size >> 20) + " MiB" : std::to_string(size >> 10) + " KiB";
    const std::string in = root + "/copy-in-" + std::to_string(size);
    const std::string out = root + "/copy-out-" + std::to_string(size);
    std::fprintf(stderr, "copy of %d files of %zu bytes\n", count, size);
    FreshFolder(in);
    WriteFiles(in, count, size, "data", "bin");
    const uint64_t total = static_cast<uint64_t>(count) * size;
    auto host = MakeHost();
    auto unflushed = MakeHost(false);
    for (auto* h : {host.get(), unflushed.get()}) {
      h->rules = {MakeRule(U(in), U(out), u"*.bin", SortMethod::Copy, CollisionMode::Rename)};
    }
    // Large files are few: removing them costs the next run nothing, and
    // keeping them would take gigabytes.
    const auto prepare = [&] {
      if (size >= (1u << 20)) RemoveTree(out);
      FreshFolder(out);
    };
    const auto check = [&] { Expect(out, count, total); };
    const std::string cp = "cp " + Quote(in) + "/*.bin " + Quote(out) + "/";
    const auto seconds = Run(Repetitions(repetitions),
                                 {{"ours (copy rule *.bin)", prepare, [&] { host->RunPass(); }, check},
                                  {"cp", prepare, [&] { Shell(cp); }, check},
                                  {"cp && sync", prepare, [&] { Shell(cp + " && sync"); }, check},
                                  {"ours without flushes (diagnostic)", prepare, [&] { unflushed->RunPass(); }, check},
                                  {"durable floor (copy, fsync, rename)", prepare, [&] { DurableFloor(in, out, false); },
                                   check}});
    const std::string what = "2. copy " + std::to_string(count) + " x " + label;
    const double ours = Median(seconds[0]);
    rows.push_back({what, ours, "`cp` (no flush)", Median(seconds[1]), 0,  "s",
                    "plain `cp` leaves its copies in the page cache; ours flushes each file (fsync) before it "
                    "renames it into place, so this line only informs."});
    rows.push_back({what, ours, "`cp && sync`", Median(seconds[2]), target, "s", kSyncNote});
    rows.push_back({what + ", ours without flushes (diagnostic)", Median(seconds[3]), "`cp` (no flush)",
                    Median(seconds[1]), 0, "s", kUnflushedNote});
    rows.push_back({what, ours, "durable floor: copy, fsync, rename", Median(seconds[4]), 0, "s", kFloorNote});
  }

  // 3. Between volumes a move is a copy, a flush, and the removal of the source.
  void CrossVolumeMove() {
    const int count = Scaled(1000);
    const std::string in = shm + "/xmove-in";
    const std::string out = root + "/xmove-out";
    std::fprintf(stderr, "move of %d files of 64 KiB from tmpfs to the disk\n", count);
    auto host = MakeHost();
    auto unflushed = MakeHost(false);
    for (auto* h : {host.get(), unflushed.get()}) {
      h->rules = {MakeRule(U(in), U(out), u"*.bin", SortMethod::Move, CollisionMode::Rename)};
    }
    const auto prepare = [&] {
      RemoveTree(in);  // tmpfs keeps no such memory of freed inodes
      MakeFolder(in);
      FreshFolder(out);
      WriteFiles(in, count, 64 << 10, "chunk", "bin");
    };
    const auto check = [&] {
      Expect(out, count, static_cast<uint64_t>(count) << 16);
      Expect(in, 0);
    };
    const std::string mv =
        "find " + Quote(in) + " -maxdepth 1 -type f -name '*.bin' -exec mv -t " + Quote(out) + " -- {} +";
    const auto seconds = Run(Repetitions(5),
                                 {{"ours (move rule, tmpfs -> disk)", prepare, [&] { host->RunPass(); }, check},
                                  {"find | mv -t", prepare, [&] { Shell(mv); }, check},
                                  {"find | mv -t && sync", prepare, [&] { Shell(mv + " && sync"); }, check},
                                  {"ours without flushes (diagnostic)", prepare, [&] { unflushed->RunPass(); }, check},
                                  {"durable floor (copy, fsync, rename, fsync folder, unlink)", prepare,
                                   [&] { DurableFloor(in, out, true); }, check}});
    const std::string what = "3. move " + std::to_string(count) + " x 64 KiB, tmpfs -> disk";
    const double ours = Median(seconds[0]);
    rows.push_back({what, ours, "`find ... -exec mv -t` (no flush)", Median(seconds[1]), 0, "s",
                    "ours flushes each copy (fsync) before it renames it into place and the destination folder "
                    "before it removes a source, so that a power cut never loses a file; `mv` flushes nothing, "
                    "so this line only informs."});
    rows.push_back({what, ours, "`mv ... && sync`", Median(seconds[2]), 1.2, "s", kSyncNote});
    rows.push_back({what + ", ours without flushes (diagnostic)", Median(seconds[3]), "`mv` (no flush)",
                    Median(seconds[1]), 0, "s", kUnflushedNote});
    rows.push_back({what, ours, "durable floor: copy, fsync, rename, fsync folder, unlink", Median(seconds[4]), 0,
                    "s", kFloorNote});
  }

  // 4. Every arriving file collides: five passes leave "name (2)" to "name (6)".
  void RenameCollisions() {
    const int count = Scaled(1000);
    const int passes = 5;
    const std::string in = root + "/collide-in";
    const std::string out = root + "/collide-out";
    std::fprintf(stderr, "%d passes of a copy rule whose %d files all collide\n", passes, count);
    FreshFolder(in);
    WriteFiles(in, count, 1024, "doc", "txt");
    auto host = MakeHost();
    auto unflushed = MakeHost(false);
    for (auto* h : {host.get(), unflushed.get()}) {
      h->rules = {MakeRule(U(in), U(out), u"*.txt", SortMethod::Copy, CollisionMode::Rename)};
    }
    const auto prepare = [&] {
      FreshFolder(out);
      WriteFiles(out, count, 512, "doc", "txt");
      for (int p = 1; p <= passes; ++p) MakeFolder(out + "/p" + std::to_string(p));
    };
    const auto checkOurs = [&] {
      Expect(out, count * (passes + 1));
      struct stat st {};
      const std::string last = out + "/doc-00000 (" + std::to_string(passes + 1) + ").txt";
      if (::stat(last.c_str(), &st) != 0) Fail("missing " + last);
    };
    const auto checkCp = [&] {
      for (int p = 1; p <= passes; ++p) Expect(out + "/p" + std::to_string(p), count);
    };
    std::string cp;
    for (int p = 1; p <= passes; ++p) {
      cp += (p > 1 ? " && cp " : "cp ") + Quote(in) + "/*.txt " + Quote(out + "/p" + std::to_string(p)) + "/";
    }
    const auto seconds = Run(
        Repetitions(5),
        {{"ours (5 passes, copy + rename)", prepare, [&] { for (int p = 0; p < passes; ++p) host->RunPass(); },
          checkOurs},
         {"5 x cp", prepare, [&] { Shell(cp); }, checkCp},
         {"5 x cp && sync", prepare, [&] { Shell(cp + " && sync"); }, checkCp},
         {"ours without flushes (diagnostic)", prepare,
          [&] { for (int p = 0; p < passes; ++p) unflushed->RunPass(); }, checkOurs}});
    const std::string what = "4. " + std::to_string(passes) + " passes x " + std::to_string(count) +
                             " colliding 1 KiB files, copy + rename";
    const double ours = Median(seconds[0]);
    rows.push_back({what, ours, "5 x `cp` into empty folders (no flush)", Median(seconds[1]), 0, "s",
                    "the same number of copies, but `cp` needs no free name and flushes nothing, so this line "
                    "only informs."});
    rows.push_back({what, ours, "5 x `cp` && sync", Median(seconds[2]), 2.5, "s", kSyncNote});
    rows.push_back({what + ", ours without flushes (diagnostic)", Median(seconds[3]), "5 x `cp` (no flush)",
                    Median(seconds[1]), 0, "s", kUnflushedNote});
  }

  // 5. The cost of a rule that finds nothing: its destination made sure of,
  // its source folder read for a match.
  void IdleRules() {
    const int count = Scaled(1000);
    const std::string in = root + "/rules-in";
    const std::string out = root + "/rules-out";
    std::fprintf(stderr, "a pass over %d rules with nothing to move\n", count);
    FreshFolder(in);
    FreshFolder(out);
    auto host = MakeHost();
    std::vector<std::string> folders;
    for (int i = 0; i < count; ++i) {
      const std::string source = in + "/" + std::to_string(i);
      const std::string destination = out + "/" + std::to_string(i);
      MakeFolder(source);
      MakeFolder(destination);
      WriteFiles(source, 3, 100, "note", "txt");
      folders.push_back(source);
      folders.push_back(destination);
      host->rules.push_back(MakeRule(U(source), U(destination), u"*.pdf", SortMethod::Move, CollisionMode::Rename));
    }
    const auto seconds = Run(Repetitions(7),
                                 {{"ours (pass over the rules)", nullptr, [&] { host->RunPass(); }, nullptr},
                                  {"stat() of each rule's two folders", nullptr,
                                   [&] {
                                     struct stat st {};
                                     for (const std::string& folder : folders) {
                                       if (::stat(folder.c_str(), &st) != 0) Fail("stat " + folder);
                                     }
                                   },
                                   nullptr}});
    rows.push_back({"5. pass over " + std::to_string(count) + " rules, nothing to move, per rule",
                    Median(seconds[0]) * 1e6 / count, "`stat()` of source and destination folder",
                    Median(seconds[1]) * 1e6 / count, 0, "us",
                    "per rule the pass makes sure of every level of the destination path (a mkdir for each "
                    "level, then a stat) and reads the names in the source folder (3 files, none matching)."});
  }
};

Options Parse(int argc, char** argv) {
  Options options;
  const char* tmp = std::getenv("TMPDIR");
  options.dir = tmp != nullptr && *tmp != '\0' ? tmp : "/tmp";
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--quick") {
      options.quick = true;
    } else if (arg == "--dir" && i + 1 < argc) {
      options.dir = argv[++i];
    } else if (arg == "--shm" && i + 1 < argc) {
      options.shm = argv[++i];
    } else if (arg == "--case" && i + 1 < argc) {
      options.only = std::atoi(argv[++i]);
    } else if (arg == "--ours-only") {
      options.oursOnly = true;
    } else {
      Fail("usage: savrin_bench [--quick] [--dir DISK_FOLDER] [--shm TMPFS_FOLDER] [--case 1-5] [--ours-only]");
    }
  }
  return options;
}

std::string MakeTemporaryFolder(const std::string& parent) {
  std::string pattern = parent + "/savrin-bench-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) Fail("cannot make a folder in " + parent);
  return pattern;
}

int Main(int argc, char** argv) {
  Bench bench;
  bench.options = Parse(argc, argv);
  bench.root = MakeTemporaryFolder(bench.options.dir);
  bench.shm = MakeTemporaryFolder(bench.options.shm);
  g_setAside = bench.root + "/set-aside";
  MakeFolder(g_setAside);
  struct Cleanup {
    Bench& bench;
    ~Cleanup() {
      RemoveTree(bench.root);
      RemoveTree(bench.shm);
    }
  } cleanup{bench};

  std::printf("## Native benchmark (POSIX backend against coreutils)\n\n");
  std::printf("- machine: %u cores, %s\n", std::thread::hardware_concurrency(),
              ReadFirstLine("/proc/cpuinfo", "model name").c_str());
  std::printf("- disk folder: %s, %s\n", bench.root.c_str(), Volume(bench.root).c_str());
  std::printf("- tmpfs folder: %s, %s\n", bench.shm.c_str(), Volume(bench.shm).c_str());
  std::printf("- medians of %s after one warm-up; `sync` before every timed run%s\n",
              bench.options.quick ? "1 run" : "3-7 runs", bench.options.quick ? " (--quick: tiny sizes)" : "");
  std::printf("\n");
  std::fflush(stdout);

  const auto wanted = [&](int number) { return bench.options.only == 0 || bench.options.only == number; };
  if (wanted(1)) bench.SameVolumeMove();
  if (wanted(2)) {
    bench.Copies(bench.options.quick ? 2 : 8, bench.options.quick ? (1u << 20) : (128u << 20), 5, 1.0);
    bench.Copies(bench.Scaled(10000), 4096, 5, 2.0);
  }
  if (wanted(3) && DeviceOf(bench.shm) != DeviceOf(bench.root)) {
    bench.CrossVolumeMove();
  } else if (wanted(3)) {
    std::fprintf(stderr, "skipped the move between volumes: %s and %s are on one volume\n", bench.shm.c_str(),
                 bench.root.c_str());
  }
  if (wanted(4)) bench.RenameCollisions();
  if (wanted(5)) bench.IdleRules();
  if (bench.options.oursOnly) return 0;
  PrintTable("File operations, native", bench.rows);
  return 0;
}

}  // namespace
}  // namespace savrin::bench

int main(int argc, char** argv) {
  try {
    return savrin::bench::Main(argc, argv);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "savrin_bench: %s\n", error.what());
    return 1;
  }
}
