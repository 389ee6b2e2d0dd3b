/*
 * A robot program whose behaviour in each step is chosen by its input text,
 * "<step> <command> [argument]", so that one library covers the runner's
 * cases. Well-behaved commands are answered by Run, as a real program does.
 *
 *   echo          output "echo:" + the input
 *   calls         output the calls of this step (S SetData, T Start,
 *                 P IsPause, G GetData) and what the program saw
 *   count         output "count=N", N counting this library's steps
 *   turns         Run turns its loop about once a millisecond; output
 *                 "paused=P total=T": T turns of Run's loop so far, P of them
 *                 between the previous step's GetData and this SetData
 *   pid           output "pid=N", the process that runs the program
 *   print TEXT    Run prints TEXT and a newline
 *   zeros N       IsPause answers 0 N times, then 1; output "polls=N+1"
 *   never         IsPause always answers 0; output "polls=<calls>"
 *   crash         Run writes through a null pointer
 *   exit N        Run calls exit(N)
 *   close         Run closes every descriptor above 2
 *   hang-set      SetData never returns
 *   hang-get      GetData never returns
 *   overflow N    GetData writes N bytes 'x'
 */
#define _GNU_SOURCE

#include "morvane_robot.h"

#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

static char input[8192];
static char command[64];
static long argument;
static char text_argument[256];
static char output[MORVANE_OUTPUT_SIZE];

static atomic_uint steps_asked;
static atomic_uint steps_answered;

/* Only the runner's calling thread touches these. */
static char calls[512];
static size_t call_count;
static int zeros_left;
static int polls;
static pid_t caller_thread;

static atomic_ulong turns;
static unsigned long turns_at_get;
static unsigned long turns_at_set;
static atomic_int slow_turns;

static atomic_int run_started_after_start = -1;
static atomic_int run_thread;
static long counter;

static int is(const char* name) {
    return strcmp(command, name) == 0;
}

static void note_call(char c) {
    if (call_count + 1 < sizeof calls)
        calls[call_count++] = c;
    calls[call_count] = '\0';
}

static void forever(void) {
    for (;;)
        sleep(1);
}

void SetData(const char* text) {
    strncpy(input, text, sizeof input - 1);
    command[0] = '\0';
    argument = 0;
    text_argument[0] = '\0';
    sscanf(input, "%*d %63s %255s", command, text_argument);
    argument = strtol(text_argument, NULL, 10);
    call_count = 0;
    note_call('S');
    caller_thread = gettid();
    turns_at_set = atomic_load(&turns);
    atomic_store(&slow_turns, is("turns"));
    if (is("hang-set"))
        forever();
}

void Start(void) {
    note_call('T');
    polls = 0;
    zeros_left = is("zeros") ? (int)argument : 0;
    atomic_fetch_add(&steps_asked, 1);
}

unsigned char IsPause(void) {
    note_call('P');
    ++polls;
    if (is("never"))
        return 0;
    if (is("zeros")) {
        if (zeros_left == 0)
            return 1;
        --zeros_left;
        return 0;
    }
    return atomic_load(&steps_answered) == atomic_load(&steps_asked);
}

static int buffer_is_zero(const char* buffer) {
    for (int i = 0; i < MORVANE_OUTPUT_SIZE; ++i)
        if (buffer[i] != 0)
            return 0;
    return 1;
}

void GetData(char* buffer) {
    const int zeroed = buffer_is_zero(buffer);
    note_call('G');
    if (is("hang-get"))
        forever();
    if (is("overflow")) {
        memset(buffer, 'x', (size_t)argument);
    } else if (is("turns")) {
        const unsigned long now = atomic_load(&turns);
        snprintf(buffer, MORVANE_OUTPUT_SIZE, "paused=%lu total=%lu", turns_at_set - turns_at_get, now);
        turns_at_get = now;
    } else if (is("zeros") || is("never")) {
        snprintf(buffer, MORVANE_OUTPUT_SIZE, "polls=%d", polls);
    } else if (is("calls")) {
        snprintf(buffer, MORVANE_OUTPUT_SIZE, "%s zeroed=%d gated=%d own-thread=%d", calls, zeroed,
            atomic_load(&run_started_after_start), atomic_load(&run_thread) != caller_thread);
    } else {
        memcpy(buffer, output, sizeof output);
    }
}

static void step(void) {
    if (is("echo")) {
        snprintf(output, sizeof output, "echo:%.4000s", input);
    } else if (is("count")) {
        snprintf(output, sizeof output, "count=%ld", ++counter);
    } else if (is("pid")) {
        snprintf(output, sizeof output, "pid=%d", (int)getpid());
    } else if (is("print")) {
        printf("%s\n", text_argument);
        output[0] = '\0';
    } else if (is("crash")) {
        *(volatile int*)NULL = 1;
    } else if (is("exit")) {
        exit((int)argument);
    } else if (is("close")) {
        for (int fd = 3; fd < 64; ++fd)
            close(fd);
    }
}

void Run(void) {
    atomic_store(&run_thread, gettid());
    atomic_store(&run_started_after_start, atomic_load(&steps_asked) > 0);
    unsigned answered = 0;
    for (;;) {
        atomic_fetch_add(&turns, 1);
        const unsigned asked = atomic_load(&steps_asked);
        if (asked == answered) {
            const struct timespec wait = { 0, atomic_load(&slow_turns) ? 1000000 : 50000 };
            nanosleep(&wait, NULL);
            continue;
        }
        step();
        answered = asked;
        atomic_store(&steps_answered, answered);
    }
}
