#include "records/RecordFormat.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <initializer_list>

#include "meter/CurrentReading.h"

namespace RecordFormat {

namespace {

constexpr int OneChannelWidths[] = {7, 10, 7, 7};

template <typename Fields>
std::string Join(const Fields& fields) {
    std::string line;
    bool first = true;
    for (std::string_view field : fields) {
        if (!first) line += Separator;
        line += field;
        first = false;
    }
    return line;
}

std::string Lookup(const EnvironmentLookup& getEnvironment, const char* name) {
    const char* value = getEnvironment(name);
    return value ? value : "";
}

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

std::string HomeFolder(const EnvironmentLookup& getEnvironment) {
    std::string home = Lookup(getEnvironment, "HOME");
    if (!home.empty()) return WithoutTrailingSlash(home);
    const passwd* user = getpwuid(getuid());
    return user && user->pw_dir ? WithoutTrailingSlash(user->pw_dir) : std::string(".");
}

// The DOCUMENTS entry of user-dirs.dirs: XDG_DOCUMENTS_DIR="$HOME/Documents" or an absolute path.
std::string UserDirsDocuments(const std::string& configFolder, const std::string& home) {
    std::ifstream file(configFolder + "/user-dirs.dirs");
    const std::string key = "XDG_DOCUMENTS_DIR=\"";
    std::string line;
    while (std::getline(file, line)) {
        if (line.compare(0, key.size(), key) != 0) continue;
        std::size_t close = line.find('"', key.size());
        if (close == std::string::npos) return {};
        std::string value = line.substr(key.size(), close - key.size());
        if (value.compare(0, 5, "$HOME") == 0) value = home + value.substr(5);
        return value.empty() || value[0] != '/' ? std::string() : WithoutTrailingSlash(value);
    }
    return {};
}

std::string DocumentsFolder(const EnvironmentLookup& getEnvironment) {
    std::string documents = Lookup(getEnvironment, "XDG_DOCUMENTS_DIR");
    if (!documents.empty() && documents[0] == '/') return WithoutTrailingSlash(documents);

    std::string home = HomeFolder(getEnvironment);
    std::string config = Lookup(getEnvironment, "XDG_CONFIG_HOME");
    if (config.empty() || config[0] != '/') config = home + "/.config";
    documents = UserDirsDocuments(config, home);
    return documents.empty() ? home + "/Documents" : documents;
}

bool IsDirectory(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::string TwoChannelSample(std::string_view time, std::string_view t1, std::string_view t2,
                             std::string_view t1t2, std::string_view unit) {
    return Join(std::initializer_list<std::string_view>{time, t1, t2, t1t2, unit});
}

std::string OneChannelSample(std::string_view time, std::string_view t1, std::string_view unit) {
    return Join(std::initializer_list<std::string_view>{time, t1, unit});
}

std::string SampleLine(const CurrentReading& r, std::string_view time) {
    if (r.DualChannel) return TwoChannelSample(time, r.T1Value.Text(), r.T2Value.Text(), r.T1T2Value.Text(), r.UnitText);
    return OneChannelSample(time, r.T1Value.Text(), r.UnitText);
}

std::string RecordLine(long count, std::string_view sampleLine) {
    std::string line = std::to_string(count);
    line += Separator;
    line += sampleLine;
    return line;
}

std::string ListSaveLine(std::string_view tabbedRow) { return std::string(tabbedRow) + Separator; }

std::string WithTxtExtension(std::string path) {
    constexpr std::string_view Extension = ".txt";
    if (!path.ends_with(Extension)) path += Extension;
    return path;
}

std::string DefaultFolder(const EnvironmentLookup& getEnvironment) {
    std::string profile = Lookup(getEnvironment, "USERPROFILE");
    if (!profile.empty()) return WithoutTrailingSlash(profile) + "/Documents/TQ36";
    return DocumentsFolder(getEnvironment) + "/TQ36";
}

std::string DefaultFolder() {
    return DefaultFolder([](const char* name) { return static_cast<const char*>(std::getenv(name)); });
}

FolderResult EnsureFolder(const std::string& path) {
    FolderResult result;
    if (path.empty()) {
        result.error = std::strerror(ENOENT);
        return result;
    }
    // Each level from the top down, so a fresh account without a Documents folder still works.
    for (std::size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
        std::string level = path.substr(0, end);
        if (!level.empty() && level.back() != '/' && !IsDirectory(level)) {
            if (mkdir(level.c_str(), 0777) == 0) {
                result.created = true;
            } else if (!(errno == EEXIST && IsDirectory(level))) {
                // A file in the way is reported as such, not as the puzzling "File exists".
                result.error = std::strerror(errno == EEXIST ? ENOTDIR : errno);
                return result;
            }
        }
        if (end == std::string::npos) break;
    }
    result.ok = true;
    return result;
}

std::string TwoChannelPrintRow(const std::vector<std::string>& cells) { return Join(cells); }

std::string OneChannelPrintRow(const std::vector<std::string>& cells) {
    std::string line;
    for (std::size_t i = 0; i < std::size(OneChannelWidths); ++i) {
        std::string_view text = i < cells.size() ? std::string_view(cells[i]) : std::string_view();
        auto width = static_cast<std::size_t>(OneChannelWidths[i]);
        // Widths count characters: a foreign file's "23.5°" is five of them in six bytes.
        const auto characters = static_cast<std::size_t>(std::count_if(
            text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
        if (characters < width) line.append(width - characters, ' ');
        line += text;
    }
    return line;
}

std::string OneChannelPrintTitle() { return OneChannelPrintRow({"No.s", "Time", "Value", "Unit"}); }

std::string OneChannelPrintRule() {
    int width = 0;
    for (int w : OneChannelWidths) width += w;
    return std::string(static_cast<std::size_t>(width), '-');
}

}  // namespace RecordFormat
