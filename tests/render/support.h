#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory_resource>
#include <new>
#include <string>
#include <vector>

#include "support/captured_fd.h"
#include "term/memory_screen.h"
#include "term/termbox2.h"

namespace render_test {

// An independent, deliberately plain generator to derive expected values from:
// SplitMix64 for the four state words, then xoshiro256++.
class Reference {
  public:
    explicit Reference(std::uint64_t seed) {
        std::uint64_t z = seed;
        for (std::uint64_t& word : s_) {
            z += 0x9E3779B97F4A7C15ULL;
            std::uint64_t v = z;
            v = (v ^ (v >> 30)) * 0xBF58476D1CE4E5B9ULL;
            v = (v ^ (v >> 27)) * 0x94D049BB133111EBULL;
            word = v ^ (v >> 31);
        }
    }
    std::uint64_t next() {
        const std::uint64_t sum = s_[0] + s_[3];
        const std::uint64_t result = ((sum << 23) | (sum >> 41)) + s_[0];
        const std::uint64_t t = s_[1] << 17;
        s_[2] ^= s_[0];
        s_[3] ^= s_[1];
        s_[1] ^= s_[2];
        s_[0] ^= s_[3];
        s_[2] ^= t;
        s_[3] = (s_[3] << 45) | (s_[3] >> 19);
        return result;
    }

  private:
    std::uint64_t s_[4]{};
};

// A source whose outputs are given in advance; counts what was taken.
struct Scripted {
    std::vector<std::uint64_t> outputs;
    std::size_t taken = 0;
    std::uint64_t next() { return outputs.at(taken++); }
};

// The terminal layer backed by an in-memory screen for the object's lifetime.
class MemoryScreen {
  public:
    MemoryScreen(int w, int h) { opened_ = term_test::memory_screen_open(w, h) == TB_OK; }
    ~MemoryScreen() {
        if (opened_) tb_shutdown();
    }
    MemoryScreen(const MemoryScreen&) = delete;
    MemoryScreen& operator=(const MemoryScreen&) = delete;
    bool opened() const { return opened_; }

  private:
    bool opened_ = false;
};

// Counts allocations and what is still outstanding; refuses every allocation after the
// first `allowed` with std::bad_alloc.
class CountingResource : public std::pmr::memory_resource {
  public:
    explicit CountingResource(std::size_t allowed = SIZE_MAX) : allowed_(allowed) {}
    std::size_t allocations = 0;
    std::size_t outstanding = 0;

  private:
    void* do_allocate(std::size_t bytes, std::size_t alignment) override {
        if (allocations >= allowed_) throw std::bad_alloc();
        ++allocations;
        ++outstanding;
        return std::pmr::new_delete_resource()->allocate(bytes, alignment);
    }
    void do_deallocate(void* p, std::size_t bytes, std::size_t alignment) override {
        --outstanding;
        std::pmr::new_delete_resource()->deallocate(p, bytes, alignment);
    }
    bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override {
        return this == &other;
    }
    std::size_t allowed_;
};

// Splits text into its lines (without the line feeds).
inline std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

}  // namespace render_test
