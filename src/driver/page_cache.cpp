#include "driver/page_cache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unordered_set>

#include "core/vtstring.h"
#include "files/file_io.h"
#include "files/vtfile.h"

namespace {

constexpr std::string_view kMagic = "orvane page cache\n";
constexpr uint32_t kFormat = 1;

// The file's bytes go into a string to be written, or only into the hash
// that tells whether the file already holds them.
void put_bytes(std::string& out, std::string_view bytes) {
    out.append(bytes);
}

void put_bytes(hash_stream& out, std::string_view bytes) {
    out.add(bytes);
}

// Little-endian fields on the machine that wrote them; another machine's
// file fails its checksum or its magic and counts as empty.
template <class Out, class T>
void put(Out& out, T value) {
    put_bytes(out, std::string_view(reinterpret_cast<const char*>(&value), sizeof value));
}

template <class Out>
void put_text(Out& out, std::string_view text) {
    put(out, static_cast<uint32_t>(text.size()));
    put_bytes(out, text);
}

template <class Out>
void put_hash(Out& out, const hash128& h) {
    put(out, h.low);
    put(out, h.high);
}

// Everything of the file before its checksum: the pages in order.
template <class Out>
void put_body(Out& out, const hash128& digest, const std::vector<const cached_page*>& pages) {
    put_bytes(out, kMagic);
    put(out, kFormat);
    put_hash(out, digest);
    put(out, static_cast<uint64_t>(pages.size()));
    for (const cached_page* page : pages) {
        put_hash(out, page->key);
        put_hash(out, page->context);
        put(out, static_cast<uint32_t>(page->items.size()));
        page->each([&](const cached_item& item, std::string_view text, std::string_view link) {
            put(out, item.level);
            put(out, static_cast<uint8_t>(item.unnumbered));
            put_text(out, text);
            put_text(out, link);
        });
    }
}

// Reads fields from the front of data; false once data falls short.
class reader {
  public:
    explicit reader(std::string_view data) : data_(data) {}
    template <class T>
    bool get(T& value) {
        if (data_.size() < sizeof value) return false;
        std::memcpy(&value, data_.data(), sizeof value);
        data_.remove_prefix(sizeof value);
        return true;
    }
    bool get_text(std::string_view& text) {
        uint32_t n = 0;
        if (!get(n) || data_.size() < n) return false;
        text = data_.substr(0, n);
        data_.remove_prefix(n);
        return true;
    }
    bool get_hash(hash128& h) { return get(h.low) && get(h.high); }
    bool done() const { return data_.empty(); }
    size_t left() const { return data_.size(); }

  private:
    std::string_view data_;
};

std::string hex(const hash128& h) {
    char text[33];
    std::snprintf(text, sizeof text, "%016llx%016llx", static_cast<unsigned long long>(h.high),
                  static_cast<unsigned long long>(h.low));
    return text;
}

std::string cache_folder() {
    const char* base = std::getenv("XDG_CACHE_HOME");
    if (base && base[0] == '/') return std::string(base) + "/orvane";
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return std::string(home) + "/.cache/orvane";
    return {};
}

// Makes folder and its parents (private to the user). False when it is not
// there afterwards.
bool make_folder(const std::string& folder) {
    for (size_t slash = folder.find('/', 1); slash != std::string::npos;
         slash = folder.find('/', slash + 1))
        ::mkdir(folder.substr(0, slash).c_str(), 0700);
    ::mkdir(folder.c_str(), 0700);
    struct stat st {};
    return ::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::string page_cache::file_for(std::string_view project_file) {
    const std::string folder = cache_folder();
    if (folder.empty() || project_file.empty()) return {};
    char* real = ::realpath(std::string(project_file).c_str(), nullptr);
    if (!real) return {};
    const std::string path(real);
    std::free(real);
    return folder + "/" + hex(hash_bytes(path)) + ".cache";
}

vtstring page_cache::read(const std::string& file) {
    vtstring data;
    if (file.empty() || !vtfile_read_all(file, data)) data.clear();
    return data;
}

page_cache::page_cache(std::string file, const hash128& digest, const vtstring& data)
    : file_(std::move(file)), digest_(digest) {
    if (!file_.empty() && !load(data.view())) {
        pages_.clear();
        by_key_.clear();
        loaded_sum_ = {};
        loaded_ = 0;
    }
}

bool page_cache::load(std::string_view data) {
    if (data.size() < kMagic.size() + 16 || !data.starts_with(kMagic)) return false;
    const std::string_view body = data.substr(0, data.size() - 16);
    reader tail(data.substr(body.size()));
    hash128 sum;
    if (!tail.get_hash(sum) || sum != hash_bytes(body)) return false;
    loaded_sum_ = sum;
    reader in(body.substr(kMagic.size()));
    uint32_t format = 0;
    hash128 digest;
    uint64_t count = 0;
    if (!in.get(format) || format != kFormat || !in.get_hash(digest) || digest != digest_ ||
        !in.get(count))
        return false;
    // Each page takes at least 36 bytes: a count beyond them is damage.
    if (count > in.left() / 36) return false;
    by_key_.reserve(count);
    for (uint64_t i = 0; i < count; ++i) {
        cached_page page;
        uint32_t items = 0;
        if (!in.get_hash(page.key) || !in.get_hash(page.context) || !in.get(items)) return false;
        // Each item takes at least 13 bytes: a count beyond them is damage.
        if (items > in.left() / 13) return false;
        page.items.reserve(items);
        for (uint32_t j = 0; j < items; ++j) {
            int32_t level = 0;
            uint8_t unnumbered = 0;
            std::string_view text;
            std::string_view link;
            if (!in.get(level) || !in.get(unnumbered) || !in.get_text(text) || !in.get_text(link))
                return false;
            page.add(level, unnumbered != 0, text, link);
        }
        pages_.push_back(std::move(page));
        by_key_[pages_.back().key] = &pages_.back();
    }
    loaded_ = pages_.size();
    return in.done();
}

const cached_page* page_cache::find(const hash128& key) const {
    const auto it = by_key_.find(key);
    return it == by_key_.end() ? nullptr : it->second;
}

void page_cache::keep(std::string_view output, const cached_page* found) {
    kept_.emplace_back(output, found);
}

void page_cache::keep(std::string_view output, cached_page made) {
    pages_.push_back(std::move(made));
    kept_.emplace_back(output, &pages_.back());
}

bool page_cache::as_loaded(const std::vector<const cached_page*>& pages) const {
    if (loaded_sum_ == hash128{} || pages.size() != loaded_) return false;
    for (size_t i = 0; i < loaded_; ++i)
        if (pages[i] != &pages_[i]) return false;
    return true;
}

void page_cache::save(const std::vector<std::string_view>& changed) const {
    if (file_.empty()) return;
    const std::unordered_set<std::string_view> left_out(changed.begin(), changed.end());
    std::vector<const cached_page*> pages;
    std::unordered_set<hash128, hash_of_key> written;
    for (const auto& [output, page] : kept_) {
        if (!left_out.contains(output) && written.insert(page->key).second) pages.push_back(page);
    }
    if (as_loaded(pages)) return;
    // Hashed first: after an unchanged rebuild the file is left alone
    // without its bytes ever being put together.
    hash_stream hash;
    put_body(hash, digest_, pages);
    const hash128 sum = hash.done();
    if (sum == loaded_sum_) return;
    std::string out;
    put_body(out, digest_, pages);
    put_hash(out, sum);
    const size_t slash = file_.rfind('/');
    if (!make_folder(file_.substr(0, slash))) return;
    std::string temp = file_ + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return;
    const bool written_whole = vtfile_write_all(fd, out.data(), out.size());
    if (::close(fd) != 0 || !written_whole || ::rename(temp.c_str(), file_.c_str()) != 0)
        ::unlink(temp.c_str());
}
