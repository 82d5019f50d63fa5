#include "platform/foundation/atomic_file.h"

#include <gtest/gtest.h>

#include "tests/platform/foundation/temp_folder.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <string>
#include <vector>

namespace pulvan::foundation {
namespace {

using test::TempFolder;

// What NFS and FUSE mounts answer to a move that must not replace: nothing is moved.
template <int Errno>
int refusedMove(const char*, const char*) {
    return Errno;
}

std::vector<std::string> entries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(AtomicFile, ANewFileNeverReplacesOneAndLeavesNoTemporaryWhateverTheMoveAnswers) {
    struct Row {
        const char* name;
        MoveToFreeName move;
        std::error_code newFile;  // writing where nothing is
    };
    const std::vector<Row> rows{
        {"no-replace rename", renameWithoutReplacing, {}},
        {"flag refused (EINVAL)", refusedMove<EINVAL>, {}},
        {"call missing (ENOSYS)", refusedMove<ENOSYS>, {}},
        {"flag unsupported (EOPNOTSUPP)", refusedMove<EOPNOTSUPP>, {}},
        {"move denied (EACCES)", refusedMove<EACCES>, {EACCES, std::generic_category()}},
    };
    const std::string take("MThd\0\0\0\x06\0\x01", 10);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempFolder folder;
        const auto target = folder.path() / "take.mid";
        EXPECT_EQ(writeNewFileAtomically(target, take, row.move), row.newFile);
        EXPECT_EQ(readWholeFile(target).bytes, row.newFile ? std::nullopt : std::optional(take));
        EXPECT_EQ(entries(folder.path()), row.newFile ? std::vector<std::string>{} : std::vector<std::string>{"take.mid"});

        const auto existing = folder.path() / "kept.mid";
        ASSERT_FALSE(writeFileAtomically(existing, "earlier take"));
        const std::error_code taken = writeNewFileAtomically(existing, take, row.move);
        EXPECT_EQ(taken, row.newFile ? row.newFile : std::make_error_code(std::errc::file_exists));
        EXPECT_EQ(readWholeFile(existing).bytes, "earlier take");
        EXPECT_EQ(entries(folder.path()).size(), row.newFile ? 1u : 2u);
    }
}

TEST(AtomicFile, EveryNameTheFolderCanHoldIsWrittenAndALongerOneLeavesNothing) {
    struct Writer {
        const char* name;
        std::error_code (*write)(const std::filesystem::path&, std::string_view);
    };
    const std::vector<Writer> writers{
        {"replacing", writeFileAtomically},
        {"never replacing",
         [](const std::filesystem::path& target, std::string_view data) { return writeNewFileAtomically(target, data); }},
    };
    // Bytes beyond the folder's own limit on a name.
    const std::vector<std::pair<std::size_t, std::error_code>> rows{
        {0, {}},
        {1, std::make_error_code(std::errc::filename_too_long)},
    };
    for (const auto& writer : writers) {
        for (const auto& [over, expected] : rows) {
            TempFolder folder;
            const auto limit = static_cast<std::size_t>(::pathconf(folder.path().c_str(), _PC_NAME_MAX));
            const std::string name(limit + over, 'n');
            SCOPED_TRACE(std::string(writer.name) + ", " + std::to_string(name.size()) + " bytes");
            EXPECT_EQ(writer.write(folder.path() / name, "bytes"), expected);
            EXPECT_EQ(entries(folder.path()), expected ? std::vector<std::string>{} : std::vector<std::string>{name});
        }
    }
}

}  // namespace
}  // namespace pulvan::foundation
