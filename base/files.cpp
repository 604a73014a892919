#include "base/files.h"

namespace vx {

bool EndsWithoutLineEnd(const std::string& text) {
    return !text.empty() && text.back() != '\n' && text.back() != '\r';
}

int IFileSystem::AppendLine(const std::string& path, const std::string& line) {
    std::string old;
    const bool glued = Size(path) > 0 && ReadAll(path, old) && EndsWithoutLineEnd(old);
    return Append(path, (glued ? "\r\n" : "") + line + "\r\n");
}

bool IFileSystem::Stamp(const std::string&, TFileStamp&) { return false; }

void SplitLines(const std::string& text, std::vector<std::string>& lines) {
    size_t i = 0, start = 0, n = text.size();
    while (i < n) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(text.substr(start, i - start));
            if (c == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
            start = ++i;
        } else {
            ++i;
        }
    }
    if (start < n) lines.push_back(text.substr(start));
}

}  // namespace vx
