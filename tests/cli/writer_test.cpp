#include "cli/writer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <string>

namespace gorv {
namespace {

Status fails(Error error) {
    return std::unexpected(error);
}

// Reads whatever is in the pipe without waiting.
std::string drain(int fd) {
    std::string bytes;
    char chunk[4096];
    ssize_t got = 0;
    while ((got = ::read(fd, chunk, sizeof chunk)) > 0)
        bytes.append(chunk, static_cast<std::size_t>(got));
    return bytes;
}

class Pipe {
  public:
    Pipe() {
        EXPECT_EQ(::pipe(fds_), 0);
        ::fcntl(fds_[0], F_SETFL, O_NONBLOCK);
    }
    ~Pipe() {
        close_read();
        if (fds_[1] >= 0) ::close(fds_[1]);
    }
    int read_end() const { return fds_[0]; }
    int write_end() const { return fds_[1]; }
    void close_read() {
        if (fds_[0] >= 0) ::close(fds_[0]);
        fds_[0] = -1;
    }

  private:
    int fds_[2] = {-1, -1};
};

TEST(FileWriter, BuffersUpTo2048Bytes) {
    Pipe pipe;
    FileWriter writer(pipe.write_end());
    const std::string first(2047, 'a');
    ASSERT_TRUE(writer.write(first));
    ASSERT_TRUE(writer.write("b"));
    EXPECT_EQ(drain(pipe.read_end()), "") << "a buffer that just filled up is not drained yet";
    ASSERT_TRUE(writer.write("cd"));
    EXPECT_EQ(drain(pipe.read_end()), first + "b");
    ASSERT_TRUE(writer.flush());
    EXPECT_EQ(drain(pipe.read_end()), "cd");
    const std::string large(5000, 'x');
    ASSERT_TRUE(writer.write(large));
    ASSERT_TRUE(writer.flush());
    EXPECT_EQ(drain(pipe.read_end()), large);
}

void do_nothing(int) {}

TEST(FileWriter, FailuresAreWriteFailed) {
    // As in the program: SIGPIPE is handled, so a write to a pipe without reader fails.
    struct sigaction handled{};
    handled.sa_handler = do_nothing;
    sigemptyset(&handled.sa_mask);
    struct sigaction previous{};
    ASSERT_EQ(sigaction(SIGPIPE, &handled, &previous), 0);
    {
        Pipe pipe;
        pipe.close_read();
        FileWriter writer(pipe.write_end());
        ASSERT_TRUE(writer.write("lost"));
        EXPECT_EQ(writer.flush(), fails(Error::WriteFailed));
        EXPECT_TRUE(writer.flush()) << "the undelivered bytes were dropped";
    }
    ASSERT_EQ(sigaction(SIGPIPE, &previous, nullptr), 0);

    FileWriter closed(-1);
    EXPECT_TRUE(closed.flush()) << "nothing to write";
    EXPECT_TRUE(closed.write(std::string(2048, 'z')));
    EXPECT_EQ(closed.write("!"), fails(Error::WriteFailed));
}

}  // namespace
}  // namespace gorv
