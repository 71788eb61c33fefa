/* The floor of the terminal benchmark: replays the frames that a program wrote to its
 * terminal, as recorded by strace, with one write and one sleep per frame and nothing
 * else, so that its cost is the least that those bytes at that pace can cost.
 *
 *   frame_replay RECORD
 *
 * RECORD is the output of
 *
 *   strace -f -qq -xx -s 16777216 -e trace=write,nanosleep,clock_nanosleep -o RECORD PROGRAM
 *
 * The terminal's descriptor is the one that received the most bytes, and the frame loop's
 * thread the one that wrote the most of them. A frame is one sleep of that thread with
 * the bytes written to the terminal since its sleep before: the replay writes those bytes
 * to standard output in one write (none when the frame changed nothing) and then sleeps
 * what the thread slept. Bytes written after the last sleep (the program giving the
 * terminal back) are not replayed. After the last frame the replay starts again from the
 * first, until it is killed. A short write of the recording replays as what it wrote.
 *
 * Exit status 2 for a record without frames or that cannot be read, 1 when a write fails. */

#define _POSIX_C_SOURCE 200809L

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

enum { max_fds = 1024 };

struct event {
    long tid;
    int is_sleep;
    int fd;                /* write */
    size_t offset;         /* write: where its bytes are in the byte pool */
    size_t size;           /* write */
    struct timespec delay; /* sleep */
};

struct frame {
    size_t offset;
    size_t size;
    struct timespec delay;
};

static char* pool;
static size_t pool_size, pool_capacity;
static struct event* events;
static size_t event_count, event_capacity;

static void* grow(void* p, size_t* capacity, size_t needed, size_t item) {
    if (needed <= *capacity) return p;
    size_t c = *capacity ? *capacity : 1024;
    while (c < needed)
        c *= 2;
    p = realloc(p, c * item);
    if (p == NULL) {
        fputs("frame_replay: out of memory\n", stderr);
        exit(2);
    }
    *capacity = c;
    return p;
}

static int hex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

/* The bytes of a quoted strace string starting at *p (just after the opening quote), up to
 * the closing quote, appended to the pool. strace -xx writes every byte as \xHH; the
 * other escapes are decoded for a record made without it. */
static size_t take_string(const char* p, const char** end) {
    size_t start = pool_size;
    while (*p != '\0' && *p != '"') {
        char byte = *p++;
        if (byte == '\\') {
            char e = *p++;
            if (e == 'x' && hex(p[0]) >= 0 && hex(p[1]) >= 0) {
                byte = (char)(hex(p[0]) * 16 + hex(p[1]));
                p += 2;
            } else if (e == 'n') {
                byte = '\n';
            } else if (e == 'r') {
                byte = '\r';
            } else if (e == 't') {
                byte = '\t';
            } else if (e == 'v') {
                byte = '\v';
            } else if (e == 'f') {
                byte = '\f';
            } else if (e >= '0' && e <= '7') {
                int v = e - '0';
                for (int i = 0; i < 2 && *p >= '0' && *p <= '7'; ++i)
                    v = v * 8 + (*p++ - '0');
                byte = (char)v;
            } else {
                byte = e;
            }
        }
        pool = grow(pool, &pool_capacity, pool_size + 1, 1);
        pool[pool_size++] = byte;
    }
    *end = p;
    return pool_size - start;
}

static void add_event(struct event e) {
    events = grow(events, &event_capacity, event_count + 1, sizeof *events);
    events[event_count++] = e;
}

/* One line of the record: "TID write(FD, "...", N) = R" or a sleep with its request. */
static void parse_line(const char* line) {
    char* rest;
    struct event e = {0};
    e.tid = strtol(line, &rest, 10);
    if (rest == line) return;
    const char* call = rest;
    /* A timestamp, when the record has them. */
    while (*call == ' ' || *call == '.' || (*call >= '0' && *call <= '9'))
        ++call;
    if (strncmp(call, "write(", 6) == 0) {
        e.fd = (int)strtol(call + 6, &rest, 10);
        const char* quote = strchr(rest, '"');
        if (quote == NULL) return;
        const char* end;
        e.offset = pool_size;
        e.size = take_string(quote + 1, &end);
        /* A short write put out only what it returned. */
        const char* result = strstr(end, ") = ");
        if (result != NULL) {
            long written = strtol(result + 4, NULL, 10);
            if (written < 0) written = 0;
            if ((size_t)written < e.size) e.size = (size_t)written;
        }
        add_event(e);
    } else if (strncmp(call, "nanosleep(", 10) == 0 || strncmp(call, "clock_nanosleep(", 16) == 0) {
        const char* sec = strstr(call, "tv_sec=");
        const char* nsec = strstr(call, "tv_nsec=");
        if (sec == NULL || nsec == NULL) return;
        e.is_sleep = 1;
        e.delay.tv_sec = strtol(sec + 7, NULL, 10);
        e.delay.tv_nsec = strtol(nsec + 8, NULL, 10);
        add_event(e);
    }
}

static int write_all(const char* bytes, size_t size) {
    while (size > 0) {
        ssize_t n = write(STDOUT_FILENO, bytes, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return -1;
        bytes += n;
        size -= (size_t)n;
    }
    return 0;
}

int main(int argc, char** argv) {
    if (argc != 2) {
        fputs("usage: frame_replay RECORD\n", stderr);
        return 2;
    }
    FILE* record = fopen(argv[1], "r");
    if (record == NULL) {
        perror(argv[1]);
        return 2;
    }
    char* line = NULL;
    size_t line_capacity = 0;
    while (getline(&line, &line_capacity, record) != -1)
        parse_line(line);
    free(line);
    fclose(record);

    /* The terminal: the descriptor that received the most bytes. */
    static size_t fd_bytes[max_fds];
    int tty = -1;
    for (size_t i = 0; i < event_count; ++i) {
        const struct event* e = &events[i];
        if (e->is_sleep || e->fd < 0 || e->fd >= max_fds) continue;
        fd_bytes[e->fd] += e->size;
        if (tty < 0 || fd_bytes[e->fd] > fd_bytes[tty]) tty = e->fd;
    }
    /* The frame loop: the thread that wrote the most bytes to it. */
    long pacer = 0;
    size_t pacer_bytes = 0;
    for (size_t i = 0; i < event_count; ++i) {
        const struct event* e = &events[i];
        if (e->is_sleep || e->fd != tty || e->tid == pacer) continue;
        size_t bytes = 0;
        for (size_t j = i; j < event_count; ++j) {
            if (!events[j].is_sleep && events[j].fd == tty && events[j].tid == e->tid)
                bytes += events[j].size;
        }
        if (bytes > pacer_bytes) {
            pacer = e->tid;
            pacer_bytes = bytes;
        }
    }

    /* Frames: the bytes of each stretch between two sleeps of the frame loop, moved
     * together so that a frame written in several calls goes out in one. */
    struct frame* frames = NULL;
    size_t frame_count = 0, frame_capacity = 0;
    char* bytes = NULL;
    size_t bytes_size = 0, bytes_capacity = 0;
    size_t pending_from = 0;
    for (size_t i = 0; i < event_count; ++i) {
        const struct event* e = &events[i];
        if (!e->is_sleep && e->fd == tty) {
            bytes = grow(bytes, &bytes_capacity, bytes_size + e->size + 1, 1);
            memcpy(bytes + bytes_size, pool + e->offset, e->size);
            bytes_size += e->size;
        } else if (e->is_sleep && e->tid == pacer) {
            frames = grow(frames, &frame_capacity, frame_count + 1, sizeof *frames);
            frames[frame_count++] =
                (struct frame){pending_from, bytes_size - pending_from, e->delay};
            pending_from = bytes_size;
        }
    }
    free(pool);
    free(events);
    if (frame_count == 0 || tty < 0) {
        fputs("frame_replay: no frames in the record\n", stderr);
        return 2;
    }

    for (size_t k = 0;; k = (k + 1) % frame_count) {
        const struct frame* f = &frames[k];
        if (f->size > 0 && write_all(bytes + f->offset, f->size) != 0) return 1;
        struct timespec left = f->delay;
        while (nanosleep(&left, &left) != 0 && errno == EINTR) {
        }
    }
}
