#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "records/RecordFormat.h"

namespace fs = std::filesystem;

namespace {

TEST(RecordFormat, HeaderColumns) {
    std::string_view h = RecordFormat::Header;
    EXPECT_EQ(h.size(), 52u);
    EXPECT_EQ(h.find('\t'), std::string_view::npos);
    const std::pair<std::size_t, std::string_view> columns[] = {{0, "No.s"}, {8, "Time"},   {24, "T1"},
                                                                {32, "T2"},  {40, "T1-T2"}, {48, "Unit"}};
    for (auto [at, name] : columns) EXPECT_EQ(h.substr(at, name.size()), name) << name;
}

TEST(RecordFormat, RecordingAndListSaveLines) {
    std::string two = RecordFormat::TwoChannelSample("14:03:07", "23.5", "21.0", "2.5", "C");
    EXPECT_EQ(RecordFormat::RecordLine(1, two), "1\t14:03:07\t23.5\t21.0\t2.5\tC");
    EXPECT_EQ(RecordFormat::RecordLine(58300, RecordFormat::OneChannelSample("00:00:00", "OL", "F")),
              "58300\t00:00:00\tOL\tF");
}

TEST(RecordFormat, TxtExtensionIsCaseSensitive) {
    const std::pair<const char*, const char*> cases[] = {
        {"run1", "run1.txt"},         {"data.TXT", "data.TXT.txt"},   {"Test.txt", "Test.txt"},
        {"/a/b.c/x", "/a/b.c/x.txt"}, {"a.txt.bak", "a.txt.bak.txt"}, {"txt", "txt.txt"},
    };
    for (auto [in, out] : cases) EXPECT_EQ(RecordFormat::WithTxtExtension(in), out) << in;
}

TEST(RecordFormat, PrintLayouts) {
    // The two-channel title: each column name where it stands, spaces everywhere else.
    const std::pair<std::size_t, std::string_view> columns[] = {{0, "No.s"}, {8, "Time"},   {31, "T1"},
                                                                {39, "T2"},  {47, "T1-T2"}, {58, "Unit"}};
    std::string twoChannelTitle(62, ' ');
    for (auto [at, name] : columns) twoChannelTitle.replace(at, name.size(), name);
    EXPECT_EQ(RecordFormat::TwoChannelPrintTitle, twoChannelTitle);
    EXPECT_EQ(RecordFormat::TwoChannelPrintRule, std::string(64, '-'));
    EXPECT_EQ(RecordFormat::TwoChannelPrintRow({"3", "14:03:09", "23.5", "OL", "-OL", "C"}),
              "3\t14:03:09\t23.5\tOL\t-OL\tC");

    EXPECT_EQ(RecordFormat::OneChannelPrintRow({"12", "14:03:07", "-123.4", "C"}),
              "     12  14:03:07 -123.4      C");
    EXPECT_EQ(RecordFormat::OneChannelPrintRow({"58300", "23:59:59", "1999.9", "F"}).size(), 31u);
    // A field wider than its column is printed whole instead of stopping the print.
    EXPECT_EQ(RecordFormat::OneChannelPrintRow({"12345678", "14:03:07", "123456789", "C"}),
              "12345678  14:03:07123456789      C");
    EXPECT_EQ(RecordFormat::OneChannelPrintRow({"1"}), "      1" + std::string(24, ' '));

    std::string title = RecordFormat::OneChannelPrintTitle();
    EXPECT_EQ(title, "   No.s      Time  Value   Unit");
    EXPECT_EQ(RecordFormat::OneChannelPrintRule(), std::string(title.size(), '-'));
}

// Text of a foreign file comes as UTF-8: the columns are counted in characters.
TEST(RecordFormat, OneChannelPrintAlignsCharactersOfForeignText) {
    EXPECT_EQ(RecordFormat::OneChannelPrintRow({"3", "10:00:04", "23.5\xC2\xB0", "\xE2\x82\xAC"}),
              "      3  10:00:04  23.5\xC2\xB0      \xE2\x82\xAC");
}

class DefaultFolder : public testing::Test {
  protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("tq36-records-" + std::to_string(getpid()));
        fs::remove_all(root);
        fs::create_directories(root);
    }
    void TearDown() override { fs::remove_all(root); }

    std::string Folder() {
        return RecordFormat::DefaultFolder([this](const char* name) -> const char* {
            auto it = env.find(name);
            return it == env.end() ? nullptr : it->second.c_str();
        });
    }

    fs::path root;
    std::map<std::string, std::string> env;
};

TEST_F(DefaultFolder, ChoiceOfDocumentsFolder) {
    env["HOME"] = root.string();
    EXPECT_EQ(Folder(), root.string() + "/Documents/TQ36");

    fs::create_directories(root / ".config");
    std::ofstream(root / ".config/user-dirs.dirs") << "# written by xdg-user-dirs-update\n"
                                                   << "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                                                   << "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n";
    EXPECT_EQ(Folder(), root.string() + "/Dokumente/TQ36");

    env["XDG_DOCUMENTS_DIR"] = "/srv/docs/";
    EXPECT_EQ(Folder(), "/srv/docs/TQ36");

    env["USERPROFILE"] = "/profiles/ann";
    EXPECT_EQ(Folder(), "/profiles/ann/Documents/TQ36");
    env["USERPROFILE"] = "";
    EXPECT_EQ(Folder(), "/srv/docs/TQ36");
}

TEST_F(DefaultFolder, CreatedOnceWithMissingParents) {
    env["USERPROFILE"] = (root / "profile").string();
    std::string folder = Folder();

    RecordFormat::FolderResult first = RecordFormat::EnsureFolder(folder);
    EXPECT_TRUE(first.ok) << first.error;
    EXPECT_TRUE(first.created);
    EXPECT_TRUE(fs::is_directory(folder));

    RecordFormat::FolderResult again = RecordFormat::EnsureFolder(folder + "/");
    EXPECT_TRUE(again.ok);
    EXPECT_FALSE(again.created);
}

TEST_F(DefaultFolder, FailureIsReported) {
    std::ofstream(root / "file") << "x";
    RecordFormat::FolderResult underFile = RecordFormat::EnsureFolder((root / "file/TQ36").string());
    EXPECT_FALSE(underFile.ok);
    EXPECT_EQ(underFile.error, "Not a directory");

    if (geteuid() != 0) {  // root may write anywhere
        fs::create_directories(root / "locked");
        chmod((root / "locked").c_str(), 0500);
        RecordFormat::FolderResult denied = RecordFormat::EnsureFolder((root / "locked/TQ36").string());
        EXPECT_FALSE(denied.ok);
        EXPECT_EQ(denied.error, "Permission denied");
        chmod((root / "locked").c_str(), 0700);
    }
}

}  // namespace
