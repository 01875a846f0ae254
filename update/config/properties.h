// A table of key/value pairs read from a properties file: "key = value" lines, "#" comments.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace update {

class Properties {
  public:
    // Reads the file at `path` as bytes and replaces the table with its pairs. False only when
    // the file cannot be opened or read (a directory, a pipe or device, which is never waited
    // on, a read error); the table is then left as it was. A file whose lines are all ignored loads
    // and gives an empty table.
    bool load(const std::string& path);

    // Replaces the table with the pairs of `content`, which is read exactly as `load` reads a
    // file's bytes.
    void loadText(std::string_view content);

    // The value of `key` (compared byte by byte, case-sensitively), or none when absent.
    std::optional<std::string_view> get(std::string_view key) const;

    std::size_t size() const { return table_.size(); }
    // Every pair, in key order; the views live as long as the table's content.
    const std::map<std::string_view, std::string_view>& entries() const { return table_; }

  private:
    void parse(std::size_t size);
    void storeLine(std::size_t start, std::size_t end);

    // The file's bytes plus one line feed; keys and values are views into it.
    std::unique_ptr<char[]> buffer_;
    std::map<std::string_view, std::string_view> table_;
};

}  // namespace update
