// The machine key file: where it lives, how it is made, which files are refused, and first runs
// that race.
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "winapi/data_protection/blobs_for_test.h"
#include "winapi/data_protection/machine_key.h"
#include "winapi/data_protection/machine_key_for_test.h"
#include "winapi/win32.h"

namespace {

constexpr uid_t kNobody = 65534;
constexpr DWORD kBadKeyFile = static_cast<DWORD>(NTE_KEYSET_ENTRY_BAD);

struct Outcome {
    DWORD error; // ERROR_SUCCESS when the call succeeded
    Bytes data;
};

Outcome Seal(const std::string& text) {
    Bytes data(text.begin(), text.end());
    DATA_BLOB input = InputOf(data);
    DATA_BLOB output{0, nullptr};
    if (CryptProtectData(&input, u"", nullptr, nullptr, nullptr, CRYPTPROTECT_LOCAL_MACHINE,
                         &output) == FALSE) {
        return {GetLastError(), {}};
    }
    Outcome outcome{ERROR_SUCCESS, Bytes(output.pbData, output.pbData + output.cbData)};
    LocalFree(output.pbData);
    return outcome;
}

Outcome Unseal(Bytes blob) {
    DATA_BLOB input = InputOf(blob);
    DATA_BLOB output{0, nullptr};
    if (CryptUnprotectData(&input, nullptr, nullptr, nullptr, nullptr, 0, &output) == FALSE) {
        return {GetLastError(), {}};
    }
    Outcome outcome{ERROR_SUCCESS, Bytes(output.pbData, output.pbData + output.cbData)};
    LocalFree(output.pbData);
    return outcome;
}

Bytes BytesOf(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

std::string ContentOf(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

std::set<std::string> Entries(const std::string& directory) {
    std::set<std::string> names;
    if (DIR* listing = opendir(directory.c_str())) {
        while (const dirent* entry = readdir(listing)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") {
                names.insert(name);
            }
        }
        closedir(listing);
    }
    return names;
}

struct stat StatusOf(const std::string& path) {
    struct stat status {};
    EXPECT_EQ(lstat(path.c_str(), &status), 0) << path;
    return status;
}

std::string TextOf(const win32_layer::MachineKey& key) {
    return std::string(std::begin(key.bytes), std::end(key.bytes));
}

struct Creation {
    const char* name;
    win32_layer::KeyFileCreation way;
};

// The named temporary file is what a file system without unnamed files gets.
constexpr Creation kCreations[] = {
    {"unnamed", win32_layer::KeyFileCreation::Unnamed},
    {"named temporary", win32_layer::KeyFileCreation::NamedTemporary},
};

// Runs `body` in a child process under another account; the child's exit code is its verdict.
void ExpectInChildAs(uid_t user, const std::function<bool()>& body) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const bool dropped = setgid(user) == 0 && setuid(user) == 0;
        _exit(dropped && body() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// Sets the key variable for one test and puts it back afterwards.
class ScopedKeyVariable {
public:
    explicit ScopedKeyVariable(const char* value) {
        if (const char* previous = std::getenv(win32_layer::kMachineKeyPathVariable)) {
            previous_ = previous;
        }
        if (value == nullptr) {
            unsetenv(win32_layer::kMachineKeyPathVariable);
        } else {
            setenv(win32_layer::kMachineKeyPathVariable, value, 1);
        }
    }
    ScopedKeyVariable(const ScopedKeyVariable&) = delete;
    ScopedKeyVariable& operator=(const ScopedKeyVariable&) = delete;
    ~ScopedKeyVariable() {
        if (previous_) {
            setenv(win32_layer::kMachineKeyPathVariable, previous_->c_str(), 1);
        } else {
            unsetenv(win32_layer::kMachineKeyPathVariable);
        }
    }

private:
    std::optional<std::string> previous_;
};

TEST(MachineKey, LivesUnderVarLibUnlessTheVariableNamesAnotherPath) {
    {
        const ScopedKeyVariable unset(nullptr);
        EXPECT_EQ(win32_layer::MachineKeyPath(), "/var/lib/quendra/machine-key");
    }
    const ScopedKeyVariable chosen("/somewhere/else/key");
    EXPECT_EQ(win32_layer::MachineKeyPath(), "/somewhere/else/key");
}

TEST(MachineKey, PathsThatNameNoAbsoluteFileOrHaveDotComponentsAreRefused) {
    for (const char* path :
         {"", "keys/machine-key", "machine-key", ".", "..", "/tmp/keys/", "/tmp/..", "/tmp/.",
          "/tmp/./keys/machine-key", "/tmp/keys/../machine-key", "/./machine-key",
          "/../tmp/machine-key", "./machine-key"}) {
        SCOPED_TRACE(path);
        const ScopedKeyVariable chosen(path);
        EXPECT_EQ(Seal("data").error, ERROR_INVALID_NAME);
    }
}

TEST(MachineKey, EmptyComponentsNameTheSameFile) {
    const TestMachineKey key;
    const std::string doubled = key.Directory() + "//machine-key";
    const ScopedKeyVariable chosen(doubled.c_str());
    ASSERT_EQ(Seal("data").error, ERROR_SUCCESS);
    EXPECT_EQ(Entries(key.Directory()), std::set<std::string>{"machine-key"});
}

TEST(MachineKey, TheFirstSealingMakesAPrivateKeyThatLaterOnesKeep) {
    const TestMachineKey key;
    const Outcome first = Seal("first");
    ASSERT_EQ(first.error, ERROR_SUCCESS);
    EXPECT_EQ(StatusOf(key.Directory()).st_mode & 07777, 0700u);
    const struct stat made = StatusOf(key.File());
    EXPECT_TRUE(S_ISREG(made.st_mode));
    EXPECT_EQ(made.st_mode & 07777, 0600u);
    EXPECT_EQ(made.st_size, 32);
    EXPECT_EQ(made.st_uid, geteuid());
    // The temporary file is gone.
    EXPECT_EQ(Entries(key.Directory()), std::set<std::string>{"machine-key"});

    const std::string content = ContentOf(key.File());
    const Outcome second = Seal("second");
    ASSERT_EQ(second.error, ERROR_SUCCESS);
    EXPECT_EQ(ContentOf(key.File()), content);
    EXPECT_EQ(StatusOf(key.File()).st_ino, made.st_ino);
    EXPECT_EQ(Unseal(first.data).data, BytesOf("first"));
    EXPECT_EQ(Unseal(second.data).data, BytesOf("second"));
}

TEST(MachineKey, TheModeIsExactWhateverTheUmask) {
    const TestMachineKey key;
    const mode_t previous = umask(0);
    const Outcome sealed = Seal("data");
    umask(previous);
    ASSERT_EQ(sealed.error, ERROR_SUCCESS);
    EXPECT_EQ(StatusOf(key.Directory()).st_mode & 07777, 0700u);
    EXPECT_EQ(StatusOf(key.File()).st_mode & 07777, 0600u);
}

TEST(MachineKey, EitherWayOfCreatingLeavesOnlyTheKeyAndNeverReplacesIt) {
    for (const Creation& creation : kCreations) {
        SCOPED_TRACE(creation.name);
        const TestMachineKey key;
        win32_layer::MachineKey made;
        ASSERT_EQ(win32_layer::LoadMachineKey(made, true, creation.way), ERROR_SUCCESS);
        EXPECT_EQ(Entries(key.Directory()), std::set<std::string>{"machine-key"});
        const struct stat status = StatusOf(key.File());
        EXPECT_EQ(status.st_mode & 07777, 0600u);
        EXPECT_EQ(status.st_nlink, 1u);
        EXPECT_EQ(ContentOf(key.File()), TextOf(made));

        win32_layer::MachineKey again;
        ASSERT_EQ(win32_layer::LoadMachineKey(again, true, creation.way), ERROR_SUCCESS);
        EXPECT_EQ(TextOf(again), TextOf(made));
        EXPECT_EQ(StatusOf(key.File()).st_ino, status.st_ino);
    }
}

TEST(MachineKey, AKeyPutInPlaceByHandIsUsedAsItIs) {
    for (const mode_t mode : {0600, 0400}) {
        SCOPED_TRACE(mode);
        const TestMachineKey key;
        ASSERT_EQ(mkdir(key.Directory().c_str(), 0700), 0);
        const std::string chosen(32, 'k');
        std::ofstream(key.File(), std::ios::binary) << chosen;
        ASSERT_EQ(chmod(key.File().c_str(), mode), 0);

        win32_layer::MachineKey loaded;
        ASSERT_EQ(win32_layer::LoadMachineKey(loaded, true), ERROR_SUCCESS);
        EXPECT_EQ(TextOf(loaded), chosen);
        const Outcome sealed = Seal("data");
        ASSERT_EQ(sealed.error, ERROR_SUCCESS);
        EXPECT_EQ(Unseal(sealed.data).data, BytesOf("data"));
        EXPECT_EQ(ContentOf(key.File()), chosen);
        EXPECT_EQ(StatusOf(key.File()).st_mode & 07777, mode);
    }
}

// A first run killed at any moment leaves either no key or a whole one, and never a temporary
// name beside it.
TEST(MachineKey, AFirstRunKilledAtAnyMomentLeavesNoTemporaryFile) {
    const TestMachineKey scratch;
    const std::string base = scratch.Directory();
    ASSERT_EQ(mkdir(base.c_str(), 0700), 0);
    std::mt19937 random(std::random_device{}());
    for (int round = 0; round < 40; ++round) {
        const std::string run = base + "/" + std::to_string(round);
        ASSERT_EQ(mkdir(run.c_str(), 0700), 0);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int i = 0;; ++i) {
                const std::string file = run + "/" + std::to_string(i) + "/machine-key";
                setenv(win32_layer::kMachineKeyPathVariable, file.c_str(), 1);
                win32_layer::MachineKey key;
                win32_layer::LoadMachineKey(key, true);
            }
        }
        std::this_thread::sleep_for(
            std::chrono::microseconds(std::uniform_int_distribution<int>(0, 3000)(random)));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        for (const std::string& directory : Entries(run)) {
            SCOPED_TRACE(run + "/" + directory);
            const std::set<std::string> entries = Entries(run + "/" + directory);
            EXPECT_TRUE(entries.empty() || entries == std::set<std::string>{"machine-key"});
            if (entries.count("machine-key") == 1) {
                EXPECT_EQ(StatusOf(run + "/" + directory + "/machine-key").st_size, 32);
            }
        }
    }
}

TEST(MachineKey, UnsealingWithoutAKeyMakesNone) {
    Bytes blob;
    {
        const TestMachineKey sealing;
        blob = Seal("data").data;
    }
    const TestMachineKey missing;
    EXPECT_EQ(Unseal(blob).error, static_cast<DWORD>(NTE_BAD_KEYSET));
    EXPECT_FALSE(std::ifstream(missing.Directory()).good());
    ASSERT_EQ(mkdir(missing.Directory().c_str(), 0700), 0);
    EXPECT_EQ(Unseal(blob).error, static_cast<DWORD>(NTE_BAD_KEYSET));
    EXPECT_TRUE(Entries(missing.Directory()).empty());
}

// Each breaks the good key file at `file` in its own way.
struct BadKeyCase {
    const char* name;
    std::function<void(const std::string& file)> breakIt;
    bool needsRoot;
};

void Rewrite(const std::string& file, std::size_t size) {
    std::string content = ContentOf(file);
    content.resize(size, 'x');
    std::ofstream(file, std::ios::binary | std::ios::trunc) << content;
}

TEST(MachineKey, AKeyFileThatIsNotExactlyRightIsRefusedAndKept) {
    const BadKeyCase cases[] = {
        {"one byte short", [](const std::string& f) { Rewrite(f, 31); }, false},
        {"one byte long", [](const std::string& f) { Rewrite(f, 33); }, false},
        {"empty", [](const std::string& f) { Rewrite(f, 0); }, false},
        {"group may read", [](const std::string& f) { chmod(f.c_str(), 0640); }, false},
        {"others may read", [](const std::string& f) { chmod(f.c_str(), 0604); }, false},
        {"group may write", [](const std::string& f) { chmod(f.c_str(), 0620); }, false},
        {"set-user-ID", [](const std::string& f) { chmod(f.c_str(), 04600); }, false},
        {"sticky", [](const std::string& f) { chmod(f.c_str(), 01600); }, false},
        {"owner may execute", [](const std::string& f) { chmod(f.c_str(), 0700); }, false},
        {"owner may only write", [](const std::string& f) { chmod(f.c_str(), 0200); }, true},
        {"a second name", [](const std::string& f) { link(f.c_str(), (f + ".copy").c_str()); },
         false},
        {"a symbolic link to a good key",
         [](const std::string& f) {
             const std::string target = f + ".real";
             rename(f.c_str(), target.c_str());
             symlink(target.c_str(), f.c_str());
         },
         false},
        {"a directory",
         [](const std::string& f) {
             unlink(f.c_str());
             mkdir(f.c_str(), 0700);
         },
         false},
        {"a FIFO",
         [](const std::string& f) {
             unlink(f.c_str());
             mkfifo(f.c_str(), 0600);
         },
         false},
        {"another account's", [](const std::string& f) { chown(f.c_str(), kNobody, kNobody); },
         true},
    };
    for (const BadKeyCase& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.needsRoot && geteuid() != 0) {
            continue;
        }
        const TestMachineKey key;
        const Outcome sealed = Seal("data");
        ASSERT_EQ(sealed.error, ERROR_SUCCESS);
        c.breakIt(key.File());
        const struct stat broken = StatusOf(key.File());
        const std::set<std::string> entries = Entries(key.Directory());

        EXPECT_EQ(Seal("more").error, kBadKeyFile);
        EXPECT_EQ(Unseal(sealed.data).error, kBadKeyFile);
        // Nothing was replaced or added.
        const struct stat after = StatusOf(key.File());
        EXPECT_EQ(after.st_ino, broken.st_ino);
        EXPECT_EQ(after.st_mode, broken.st_mode);
        EXPECT_EQ(after.st_size, broken.st_size);
        EXPECT_EQ(Entries(key.Directory()), entries);
    }
}

TEST(MachineKey, ADirectoryOthersMayWriteIsRefused) {
    for (const mode_t mode : {0770, 0702, 01777}) {
        SCOPED_TRACE(mode);
        const TestMachineKey key;
        const Outcome sealed = Seal("data");
        ASSERT_EQ(sealed.error, ERROR_SUCCESS);
        ASSERT_EQ(chmod(key.Directory().c_str(), mode), 0);
        EXPECT_EQ(Seal("more").error, kBadKeyFile);
        EXPECT_EQ(Unseal(sealed.data).error, kBadKeyFile);
    }
}

TEST(MachineKey, OtherAccountsCannotReadRootsKey) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root";
    }
    const TestMachineKey key;
    const Outcome sealed = Seal("data");
    ASSERT_EQ(sealed.error, ERROR_SUCCESS);
    ExpectInChildAs(kNobody, [&] {
        return Unseal(sealed.data).error == ERROR_ACCESS_DENIED &&
               Seal("more").error == ERROR_ACCESS_DENIED;
    });
}

TEST(MachineKey, AnAccountMayKeepAKeyOfItsOwn) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root";
    }
    const TestMachineKey key;
    const std::string scratch = key.Directory().substr(0, key.Directory().rfind('/'));
    ASSERT_EQ(chown(scratch.c_str(), kNobody, kNobody), 0);
    ExpectInChildAs(kNobody, [] {
        const Outcome sealed = Seal("data");
        return sealed.error == ERROR_SUCCESS && Unseal(sealed.data).data == BytesOf("data");
    });
    EXPECT_EQ(StatusOf(key.File()).st_uid, kNobody);
    // The rule is the caller or root, so root does not take over another account's key.
    EXPECT_EQ(Seal("root's").error, kBadKeyFile);
}

TEST(MachineKey, RacingFirstThreadsAgreeOnOneKey) {
    for (const Creation& creation : kCreations) {
        SCOPED_TRACE(creation.name);
        const TestMachineKey key;
        constexpr int kThreads = 16;
        std::vector<std::string> loaded(kThreads);
        std::vector<DWORD> errors(kThreads);
        std::atomic<int> waiting{kThreads};
        std::vector<std::thread> threads;
        for (int i = 0; i < kThreads; ++i) {
            threads.emplace_back([&, i] {
                waiting.fetch_sub(1);
                while (waiting.load() > 0) {
                }
                win32_layer::MachineKey machineKey;
                errors[i] = win32_layer::LoadMachineKey(machineKey, true, creation.way);
                loaded[i] = TextOf(machineKey);
            });
        }
        for (std::thread& thread : threads) {
            thread.join();
        }
        const std::string content = ContentOf(key.File());
        for (int i = 0; i < kThreads; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(errors[i], ERROR_SUCCESS);
            EXPECT_EQ(loaded[i], content);
        }
        EXPECT_EQ(Entries(key.Directory()), std::set<std::string>{"machine-key"});
    }
}

TEST(MachineKey, RacingFirstProcessesAgreeOnOneKey) {
    const TestMachineKey key;
    constexpr int kChildren = 8;
    int start[2];
    ASSERT_EQ(pipe(start), 0);
    std::vector<pid_t> children;
    for (int i = 0; i < kChildren; ++i) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(start[1]);
            char ignored = 0;
            // Every child starts when the parent closes the pipe.
            const bool released = read(start[0], &ignored, 1) == 0;
            const Outcome sealed = Seal("child " + std::to_string(i));
            std::ofstream(key.Directory() + "/../blob-" + std::to_string(i), std::ios::binary)
                .write(reinterpret_cast<const char*>(sealed.data.data()),
                       static_cast<std::streamsize>(sealed.data.size()));
            _exit(released && sealed.error == ERROR_SUCCESS ? 0 : 1);
        }
        children.push_back(child);
    }
    close(start[0]);
    close(start[1]);
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    for (int i = 0; i < kChildren; ++i) {
        SCOPED_TRACE(i);
        const std::string blob = ContentOf(key.Directory() + "/../blob-" + std::to_string(i));
        EXPECT_EQ(Unseal(BytesOf(blob)).data, BytesOf("child " + std::to_string(i)));
    }
    EXPECT_EQ(Entries(key.Directory()), std::set<std::string>{"machine-key"});
}

} // namespace
