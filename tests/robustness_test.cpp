// The file survives what goes on around a run: other runs at once, locks held by
// others, signals during a save, its path swapped or removed, a full disk, paths
// that cannot be read. The tool runs as real processes.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <thread>

#include "support/process.h"

namespace inikey::testing {
namespace {

const std::string kFile = "[net]\nip=1\n\n[ntp]\nserver=pool\n\n";

// The sanitized tool is several times slower: fewer runs.
#ifdef INIKEY_SANITIZED
constexpr int kRunsPerWriter = 25;
#else
constexpr int kRunsPerWriter = 100;
#endif

// Writer w's key of run r and its value, joined by between. Values of many lengths,
// so that a file cut or overwritten anywhere shows in one of them.
std::string entry(int w, int r, const char* between) {
  std::string text = "w";
  text.append(std::to_string(w)).append("/k").append(std::to_string(r)).append(between);
  return text.append((w * 31 + r * 17) % 200 + 1u, char('a' + (w + r) % 26));
}

// Eight writers set keys of their own, each listing the file after each write.
TEST(Robustness, ConcurrentRunsLoseNoUpdateAndSeeNoHalfWrittenFile) {
  constexpr int kWriters = 8;
  TempDir folder;
  writeFile(folder / "s.ini", "[a]\nbegin=here\n\n[z]\nend=here\n\n");
  std::vector<std::thread> writers;
  for (int w = 0; w < kWriters; ++w) {
    writers.emplace_back([&, w] {
      for (int r = 0; r < kRunsPerWriter; ++r) {
        EXPECT_EQ(runInikey({"-f", "s.ini", "-w", entry(w, r, "=")}, folder.path()).status, 0);
        // Read while the others write: always a whole file, both sentinels there.
        const std::string listing = runInikey({"-f", "s.ini", "-S"}, folder.path()).out;
        EXPECT_TRUE(listing.starts_with("a/begin='here'\n") && listing.ends_with("z/end='here'\n"))
            << "a torn file:\n" + listing;
      }
    });
  }
  for (std::thread& writer : writers) writer.join();

  // Every writer's every key, with its whole value.
  const std::string listing = runInikey({"-f", "s.ini", "-S"}, folder.path()).out;
  for (int w = 0; w < kWriters; ++w) {
    for (int r = 0; r < kRunsPerWriter; ++r) {
      const std::string line = entry(w, r, "='") + "'\n";
      EXPECT_NE(listing.find(line), std::string::npos) << line;
    }
  }
}

// The signals of /proc/PID/status's line that starts with field ("SigBlk:",
// "ShdPnd:", ...), as a mask with bit n-1 for signal n; 0 once the process is gone.
std::uint64_t signalsOf(pid_t pid, const std::string& field) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with(field)) return std::stoull(line.substr(field.size()), nullptr, 16);
  }
  return 0;
}

// Every signal kill can send (all but SIGKILL and SIGSTOP, which cannot be held)
// sent while a save writes: it is shown pending while the save holds the signals,
// and acts only once the file is whole: ends the run, stops it, or is ignored.
TEST(Robustness, EverySignalDuringASaveWaitsForTheWholeFile) {
  TempDir folder;
  std::string before;  // quick to load, a few megabytes to write
  for (int i = 0; i < 20'000; ++i) {
    before.append("key").append(std::to_string(i)).append("=").append(300, 'v').append("\n");
  }
  writeFile(folder / "s.ini", before);
  ASSERT_EQ(runInikey({"-f", "s.ini", "-w", "a=1"}, folder.path()).status, 0);
  const std::string after = readFile(folder / "s.ini");
  // A sanitized tool would take these as its own faults and report them.
  ::setenv("ASAN_OPTIONS", "handle_segv=0:handle_sigbus=0:handle_sigfpe=0", 1);
  const std::uint64_t held = 1u << (SIGTERM - 1);  // shows that the save holds signals
  for (int signal = 1; signal <= 64; ++signal) {
    if (signal == SIGKILL || signal == SIGSTOP) continue;
    SCOPED_TRACE("signal " + std::to_string(signal));
    const std::uint64_t bit = std::uint64_t{1} << (signal - 1);
    bool arrivedHeld = false;
    // A save that ends before the signal is sent proves nothing: try again.
    for (int attempt = 0; attempt < 10 && !arrivedHeld; ++attempt) {
      writeFile(folder / "s.ini", before);
      const pid_t pid = ::fork();
      if (pid == 0) {
        ::setpgid(0, 0);  // a group of its own, whose stop signals stop it
        const std::string binary = inikeyBinary();
        if (::chdir(folder.path().c_str()) == 0) {
          ::execl(binary.c_str(), binary.c_str(), "-f", "s.ini", "-w", "a=1", nullptr);
        }
        ::_exit(127);
      }
      int status = 0;
      bool ended = false;
      while (!(ended = ::waitpid(pid, &status, WNOHANG) == pid) &&
             (signalsOf(pid, "SigBlk:") & held) == 0) {
      }
      if (!ended) {
        ::kill(pid, signal);
        arrivedHeld = (signalsOf(pid, "SigBlk:") & bit) != 0 &&
                      ((signalsOf(pid, "SigPnd:") | signalsOf(pid, "ShdPnd:")) & bit) != 0;
        ::waitpid(pid, &status, WUNTRACED);
      }
      const std::string file = readFile(folder / "s.ini");
      EXPECT_TRUE(file == after || file == before) << "a torn file";
      if (WIFSTOPPED(status)) {
        EXPECT_TRUE(file == after) << "stopped before the file was whole";
        ::kill(pid, SIGCONT);
        ::waitpid(pid, &status, 0);
      }
      if (arrivedHeld) {
        EXPECT_TRUE(file == after) << "not the new file";
        const bool ignored = signal == SIGCHLD || signal == SIGCONT || signal == SIGURG ||
                             signal == SIGWINCH || signal == SIGTSTP || signal == SIGTTIN ||
                             signal == SIGTTOU;
        EXPECT_EQ(WIFSIGNALED(status) ? WTERMSIG(status) : -WEXITSTATUS(status),
                  ignored ? 0 : signal);
      }
    }
    EXPECT_TRUE(arrivedHeld) << "no attempt reached a save in progress";
  }
}

// The edges of a run: locks held by others, closed streams, a file-size limit, a
// FIFO where the file was, a memory limit, an output that cannot be written, a file
// of other links and owners, no /proc. Shell commands in a folder holding s.ini; a
// row that exits 77 cannot be had here.
TEST(Robustness, TheEdgesOfARunKeepTheFileAndSayWhy) {
  // "locked x|s WORDS": the tool runs with WORDS while the shell holds an exclusive or
  // shared lock on s.ini. Once /proc/locks shows the run waiting, the file must be as
  // it was; it is then rewritten in place, still under the lock, and the lock let go.
  const std::string locked =
      "locked() { cp s.ini old; exec 9<s.ini; flock -$1 9; shift; \"$INIKEY\" \"$@\" 9<&- & "
      "i=$(stat -c %i s.ini); timeout 10 sh -c \"until grep -q -e '-> FLOCK.*:$i ' /proc/locks; "
      "do :; done\"; cmp -s s.ini old || echo changed under the lock; "
      "printf '[net]\\nip=2\\nmtu=1500\\n\\n' 1<>s.ini; exec 9<&-; wait $!; }; locked ";
  const std::string before = "[net]\nip=1\nold=1\n\n", rewritten = "[net]\nip=2\nmtu=1500\n\n";
  // A tmpfs over /proc, in a mount namespace of the command's own.
  [[maybe_unused]] const std::string withoutProc =
      "unshare -m true 2>/dev/null || exit 77; unshare -m sh -c 'mount -t tmpfs none /proc || exit "
      "77; ";
  [[maybe_unused]] const std::string saved = "[net]\nip=1\nx=1\n\n[ntp]\nserver=pool\n\n";
  const std::string inPlace = "[net]\ngw=1\nip=1\n\n[ntp]\nserver=pool\n\n";
  const struct {
    std::string command;
    std::string output;           // standard output and error, then the status
    std::string file = kFile;     // s.ini before
    const char* after = nullptr;  // s.ini afterwards; else as before
  } cases[] = {
      // clang-format off
      // A run that did not wait would print or keep ip=1, or change the file meanwhile.
      // Under a shared lock the run loads first, and then finds the file changed when it
      // may save: its changes go on top, and its report is made once.
      {locked + "x -f s.ini -S", "net/ip='2'\nnet/mtu='1500'\n0", before, rewritten.c_str()},
      {locked + "x -f s.ini -w net/mask=8", "0", before, "[net]\nip=2\nmask=8\nmtu=1500\n\n"},
      {locked + "s -f s.ini -v -d net/ip net/no", "section 'net': key 'no' is not found\n0", before, "[net]\nmtu=1500\n\n"},
      // The usage text, or the report and then the save, would put bytes into the file.
      {"\"$INIKEY\" -f s.ini -w <&- >&- 2>&-", "1"},
      {"\"$INIKEY\" -f s.ini -v -d x=1/k <&- >&- 2>&-", "0"},
      {"ulimit -f 2; \"$INIKEY\" -f s.ini -w net/x=\"$(printf %4000s)\"", "file 's.ini' could not be saved: File too large\n0"},
      {"mkfifo p && \"$INIKEY\" -f p -w x=1", "0"},
      {"cat s.ini | \"$INIKEY\" -f /dev/stdin -v -d net/ip && cat s.ini | \"$INIKEY\" -f /dev/stdin ntp/server", "server='pool'\n0"},
#ifndef INIKEY_SANITIZED  // a sanitizer needs more address space than this
      {"ulimit -v 8192; \"$INIKEY\" -f s.ini -w net/x=1", "file 's.ini' could not be read: Cannot allocate memory\n0", "k=" + std::string(12 << 20, 'x')},
#endif
      {"\"$INIKEY\" -f s.ini ntp/server >/dev/full", "standard output could not be written: No space left on device\n1"},
      {"\"$INIKEY\" -f s.ini ntp/server >&-", "standard output could not be written: Bad file descriptor\n1"},
      // Saved in place through a symbolic link: inode, mode, owner, group and links kept.
      {"chmod 640 s.ini && ln s.ini hard.ini && ln -s s.ini link.ini && chown 65534:65534 s.ini 2>/dev/null; "
       "m=$(stat -c '%i %f %u %g %h' s.ini) && \"$INIKEY\" -f link.ini -w net/gw=1 && "
       "test \"$(stat -c '%i %f %u %g %h' s.ini)\" = \"$m\" && readlink link.ini && cat hard.ini",
       "s.ini\n" + inPlace + "0", kFile, inPlace.c_str()},
#ifndef INIKEY_SANITIZED  // a sanitizer needs /proc
      // Without /proc: a plain write; FIFOs where the descriptor's entry would be, which
      // held the run; a file renamed over the path between the two opens, held apart by
      // strace (its messages left out), which must not be written.
      {withoutProc + "\"$INIKEY\" -f s.ini -w net/x=1'", "0", kFile, saved.c_str()},
      {withoutProc + "mkdir -p /proc/self/fd && for n in 3 4 5 6 7 8 9; do mkfifo /proc/self/fd/$n; done; timeout 20 \"$INIKEY\" -f s.ini -w net/x=1'", "0", kFile, saved.c_str()},
      {withoutProc + "command -v strace >/dev/null || exit 77; (sleep 0.3; echo x=2 >new; mv new s.ini) & timeout 20 strace -o /dev/null -P s.ini -e trace=openat -e inject=openat:delay_exit=1000000:when=1 \"$INIKEY\" -f s.ini -w net/x=1 2>err; s=$?; grep -v \"^strace: \" err >&2; exit $s'", "file 's.ini' could not be saved: Stale file handle\n0", kFile, "x=2\n"},
#endif
      // clang-format on
  };
  ::setenv("INIKEY", inikeyBinary().c_str(), 1);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    TempDir folder;
    writeFile(folder / "s.ini", c.file);
    const RunResult result = runInikey({"-c", c.command}, folder.path(), "/bin/sh");
    if (result.status == 77) {
      std::printf("skipped, cannot be had here: %s\n", c.command.c_str());
      continue;
    }
    EXPECT_EQ(result.out + result.err + std::to_string(result.status), c.output);
    EXPECT_TRUE(readFile(folder / "s.ini") == (c.after != nullptr ? c.after : c.file));
  }
}

#ifndef INIKEY_SANITIZED  // a sanitizer needs more address space than the limits tried
// A list, a read of many keys and a write of 100,000 sections under every memory
// limit (ulimit -v) from 16 MB, in steps of 512 KB, up to one under which all three
// get through: no run aborts, each says at most one line, and the file is the old
// one or, from a write that said nothing, the new one.
TEST(Robustness, NoMemoryLimitAbortsARun) {
  TempDir folder;
  std::string before;
  for (int i = 0; i < 100'000; ++i)
    before.append("[section").append(std::to_string(i)).append("]\nkey=1\n");
  const std::string saved = "[net]\nx=1\n\n" + [&] {
    writeFile(folder / "s.ini", before);
    runInikey({"-f", "s.ini", "-w", "net/x=1"}, folder.path());
    return readFile(folder / "s.ini").substr(11);
  }();
  ::setenv("INIKEY", inikeyBinary().c_str(), 1);
  bool allThrough = false;
  for (int limit = 16 << 10; !allThrough && limit < 512 << 10; limit += 512) {
    allThrough = true;
    for (const char* run : {"", "$(seq -f section%g/key 0 20 99999)", "-w net/x=1"}) {
      SCOPED_TRACE("ulimit -v " + std::to_string(limit) + "; inikey -f s.ini " + run);
      writeFile(folder / "s.ini", before);
      const RunResult result = runInikey(
          {"-c", "ulimit -v " + std::to_string(limit) + "; exec \"$INIKEY\" -f s.ini " + run},
          folder.path(), "/bin/sh");
      EXPECT_TRUE(result.status == 0 || result.status == 1) << result.status << result.err;
      EXPECT_LE(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
      const std::string file = readFile(folder / "s.ini");
      EXPECT_TRUE(file == before || (file == saved && result.err.empty()));
      allThrough = allThrough && result.status == 0 && result.err.empty();
    }
  }
  EXPECT_TRUE(allThrough) << "no limit up to 512 MB let every run through";
}
#endif

}  // namespace
}  // namespace inikey::testing
