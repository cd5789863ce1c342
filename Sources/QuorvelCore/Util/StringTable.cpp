#include "Util/StringTable.h"

#include <fstream>
#include <nlohmann/json.hpp>
#include <system_error>

namespace quorvel {
namespace {

using Json = nlohmann::json;

constexpr const char *kIgnored = "; the table is ignored";

// Collects the text entries of a top-level object without building a
// document, so neither deep nesting nor odd values cost more than skipping.
class TableReader final : public nlohmann::json_sax<Json> {
public:
    explicit TableReader(std::map<std::string, std::string, std::less<>> &entries)
        : entries_(entries) {}

    bool null() override { return skipScalar(); }
    bool boolean(bool) override { return skipScalar(); }
    bool number_integer(number_integer_t) override { return skipScalar(); }
    bool number_unsigned(number_unsigned_t) override { return skipScalar(); }
    bool number_float(number_float_t, const string_t &) override { return skipScalar(); }
    bool binary(binary_t &) override { return skipScalar(); }

    bool string(string_t &value) override {
        if (depth_ == 0) return notAnObject();
        if (depth_ == 1) entries_.insert_or_assign(std::move(key_), std::move(value));
        return true;
    }

    bool start_object(std::size_t) override { return enterContainer(true); }
    bool start_array(std::size_t) override { return enterContainer(false); }
    bool end_object() override { return leaveContainer(); }
    bool end_array() override { return leaveContainer(); }

    bool key(string_t &value) override {
        if (depth_ == 1) key_ = std::move(value);
        return true;
    }

    bool parse_error(std::size_t position, const std::string &,
                     const nlohmann::detail::exception &) override {
        problem_ = "is not valid JSON (at byte " + std::to_string(position) + ")" + kIgnored;
        return false;
    }

    std::string problem() const {
        if (!problem_.empty()) return problem_;
        if (skipped_ > 0) {
            return "has " + std::to_string(skipped_) +
                   " entries that are not texts; they are ignored";
        }
        return {};
    }

private:
    bool notAnObject() {
        problem_ = std::string("is not a JSON object") + kIgnored;
        return false;
    }

    bool skipScalar() {
        if (depth_ == 0) return notAnObject();
        if (depth_ == 1) ++skipped_;
        return true;
    }

    bool enterContainer(bool isObject) {
        if (depth_ == 0 && !isObject) return notAnObject();
        if (depth_ == 1) ++skipped_;
        ++depth_;
        return true;
    }

    bool leaveContainer() {
        --depth_;
        return true;
    }

    std::map<std::string, std::string, std::less<>> &entries_;
    std::size_t depth_ = 0;
    std::size_t skipped_ = 0;
    std::string key_;
    std::string problem_;
};

} // namespace

StringTable::Reading StringTable::parse(std::string_view json) {
    Reading reading;
    TableReader reader(reading.table.entries_);
    const bool parsed = Json::sax_parse(json.begin(), json.end(), &reader);
    reading.problem = reader.problem();
    if (!parsed) reading.table.entries_.clear();
    return reading;
}

StringTable::Reading StringTable::load(const std::filesystem::path &file) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error) return {{}, "cannot be read (" + error.message() + ")" + kIgnored};
    if (size > kMaxFileSize)
        return {{}, "is larger than " + std::to_string(kMaxFileSize) + " bytes" + kIgnored};
    std::ifstream in(file, std::ios::binary);
    std::string json(static_cast<std::size_t>(size), '\0');
    if (!in.read(json.data(), static_cast<std::streamsize>(json.size()))) {
        return {{}, std::string("cannot be read") + kIgnored};
    }
    return parse(json);
}

std::string_view StringTable::text(std::string_view key, std::string_view missing) const {
    const auto found = entries_.find(key);
    return found == entries_.end() ? missing : std::string_view(found->second);
}

} // namespace quorvel
