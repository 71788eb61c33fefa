#pragma once

#include <unistd.h>

#include <cstdio>
#include <memory_resource>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "cli/command.h"
#include "cli/writer.h"
#include "support/captured_fd.h"

namespace gorv::testing {

// An argument vector: "gorv" followed by the given arguments, as the process gets it.
class Arguments {
  public:
    explicit Arguments(std::vector<std::string> after_name) : texts_(std::move(after_name)) {
        texts_.insert(texts_.begin(), "gorv");
        for (std::string& text : texts_)
            pointers_.push_back(text.data());
    }
    [[nodiscard]] std::span<char* const> span() const { return pointers_; }

  private:
    std::vector<std::string> texts_;
    std::vector<char*> pointers_;
};

// A writer that accepts `budget` bytes and then fails every write; its flush fails when
// `fail_flush` is set.
class FailingWriter final : public Writer {
  public:
    explicit FailingWriter(std::size_t budget) : budget_(budget) {}
    std::string text;
    int failures = 0;
    bool fail_flush = false;

  private:
    [[nodiscard]] Status append(std::string_view bytes) override {
        if (bytes.size() > budget_) {
            ++failures;
            return std::unexpected(Error::WriteFailed);
        }
        budget_ -= bytes.size();
        text.append(bytes);
        return {};
    }
    [[nodiscard]] Status deliver() override {
        if (fail_flush) return std::unexpected(Error::WriteFailed);
        return {};
    }

    std::size_t budget_;
};

}  // namespace gorv::testing
