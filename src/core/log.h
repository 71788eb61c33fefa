#pragma once

#include <initializer_list>
#include <mutex>
#include <string_view>

#include "core/error.h"

namespace gorv {

// The process-wide log lock: re-entrant, held while one line goes to standard error,
// so that lines from different threads never interleave. Take it last, for one line.
std::recursive_mutex& log_lock();

// Writes the pieces to standard error as one line, in order, under the log lock. The
// caller supplies the line feed. Failed writes are ignored; the line may then be short.
void log_pieces(std::initializer_list<std::string_view> pieces);

// Writes "level(scope): message" and a line feed, for example "info(gorv): DEBUG MODE".
void log_line(std::string_view level, std::string_view scope, std::string_view message);

// Writes "error: " + the error's name + a line feed.
void report_error(Error error);

// While the terminal is taken over, lines written to standard error would land on the
// alternate screen and vanish with it. Between these two calls whole lines are held
// (up to a few kilobytes; beyond that they go out at once) and written, in order, on
// release.
void hold_log_lines();
void release_log_lines();

}  // namespace gorv
