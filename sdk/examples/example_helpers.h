/*
 * example_helpers.h - the small helpers the example programs share.
 *
 * Every example includes this file after morvane_robot.h. It lies beside
 * each example's source, so an example builds from its own folder with the
 * same command as any program:
 *
 *     gcc -std=c11 -O2 -Wall -shared -fPIC -pthread -I<Morvane>/sdk -o avoid_walls.so avoid_walls.c
 *
 * The helpers are C and C++ alike: an example copied into a .cpp file
 * builds with g++ the same way (-std=c++17 instead of -std=c11).
 *
 * Copy it beside your own program to use the helpers there too. They are
 * all "static inline": each program gets its own copy of those it calls,
 * and those it does not call cost nothing.
 *
 * The buffers the helpers fill or read hold MORVANE_OUTPUT_SIZE bytes, like
 * the examples' own:
 *
 *     static char input[MORVANE_OUTPUT_SIZE];
 *     static char output[MORVANE_OUTPUT_SIZE];
 */
#ifndef MORVANE_EXAMPLE_HELPERS_H
#define MORVANE_EXAMPLE_HELPERS_H

#include "morvane_robot.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* The handshake's counters are atomics: C11's in C, the standard library's
   in C++, which has neither stdatomic.h (before C++23) nor threads.h. */
#ifdef __cplusplus
#include <atomic>
#include <chrono>
#include <thread>
typedef std::atomic<unsigned> step_counter;
#define STEP_COUNTER_ADD(counter) std::atomic_fetch_add(counter, 1u)
#define STEP_COUNTER_LOAD(counter) std::atomic_load(counter)
#define STEP_COUNTER_STORE(counter, value) std::atomic_store(counter, value)
#else
#include <stdatomic.h>
#include <threads.h>
#include <time.h>
typedef atomic_uint step_counter;
#define STEP_COUNTER_ADD(counter) atomic_fetch_add(counter, 1)
#define STEP_COUNTER_LOAD(counter) atomic_load(counter)
#define STEP_COUNTER_STORE(counter, value) atomic_store(counter, value)
#endif

/* ---- The step's texts ---- */

/* Keeps a copy of the step's input text in input, for SetData: the text
   Morvane hands over is valid only during the call. A longer text is cut;
   the copy always ends in a zero. */
static inline void keep_input(char* input, const char* text) {
    strncpy(input, text, MORVANE_OUTPUT_SIZE - 1);
}

/* Hands the step's answer over to Morvane, for GetData. */
static inline void hand_over_output(char* buffer, const char* output) {
    memcpy(buffer, output, MORVANE_OUTPUT_SIZE);
}

/* Writes the motor text of a robot with two wheels and a coloured light:
   the left motor on port 1 at left, the right motor on port 2 at right, and
   the light on light_port in colour light (MORVANE_LIGHT_...). For example
   write_motors(output, 50, -50, 5, MORVANE_LIGHT_RED) writes
   "1*50* 2*-50* l5*1*". */
static inline void write_motors(char* output, int left, int right, int light_port, int light) {
    snprintf(output, MORVANE_OUTPUT_SIZE, "1*%d* 2*%d* l%d*%d*", left, right, light_port, light);
}

/* ---- Sensor readings ---- */

/* The fields of the sensor on the given port: the text that follows
   "port*kind*" in its entry, up to the space, or NULL when the input has no
   such sensor. Entries look like "3*3*120* ": port, kind, reading. */
static inline const char* fields_on_port(const char* text, int port) {
    const char* p = strchr(text, ' '); /* skip the step counter */
    while (p != NULL) {
        while (*p == ' ')
            ++p;
        if (*p == '\0')
            break;
        char* end;
        const long sensor_port = strtol(p, &end, 10);
        if (*end != '*')
            break;
        strtol(end + 1, &end, 10); /* the sensor kind */
        if (*end != '*')
            break;
        if (sensor_port == port)
            return end + 1;
        p = strchr(end + 1, ' ');
    }
    return NULL;
}

/* The first reading of the sensor on the given port, or fallback when the
   input has no such sensor or its reading is empty. For sensors with one
   field: ray, touch, compass, ranging, grey, fire, volume, life. */
static inline int reading_on_port(const char* text, int port, int fallback) {
    const char* value = fields_on_port(text, port);
    /* An empty reading ends at once: strtol would skip the space and read
       the next sensor's port. */
    if (value == NULL || *value == ' ' || *value == '\0')
        return fallback;
    char* end;
    const long reading = strtol(value, &end, 10);
    return end == value ? fallback : (int)reading;
}

/* Reads up to count fields "v*v*..." into values, 0 for those missing. For
   sensors with several fields: trace (8) and compound (7). */
static inline void read_fields(const char* fields, int* values, int count) {
    for (int i = 0; i < count; ++i) {
        values[i] = 0;
        if (fields == NULL || *fields == ' ' || *fields == '\0')
            continue;
        char* end;
        values[i] = (int)strtol(fields, &end, 10);
        fields = *end == '*' ? end + 1 : NULL;
    }
}

/* ---- Headings (compass readings, 0..359 clockwise) ---- */

/* How far to turn right (negative: left) to face heading wanted, -179..180. */
static inline int turn_needed(int heading, int wanted) {
    int d = (wanted - heading) % 360;
    if (d > 180)
        d -= 360;
    if (d <= -180)
        d += 360;
    return d;
}

/* The left wheel's value for turning on the spot towards heading wanted
   (the right wheel takes the opposite value): fast, and slow over the last
   20 degrees so as not to overshoot; positive turns right, negative left.
   Use it as
       const int speed = turn_speed(heading, wanted, 30, 12);
       motors(speed, -speed, ...); */
static inline int turn_speed(int heading, int wanted, int fast, int slow) {
    const int still = turn_needed(heading, wanted);
    const int speed = abs(still) > 20 ? fast : slow;
    return still > 0 ? speed : -speed;
}

/* ---- Working in Run ---- */

/* For a program that works out its steps in Run, on its own thread: Start
   asks for a step, Run answers it, and IsPause tells Morvane whether the
   answer is ready. The two counters are atomics because Start and IsPause
   run on another thread than Run. Keep one of these, all zero:

       static struct step_handshake steps;

       void Start(void) { ask_for_step(&steps); }
       unsigned char IsPause(void) { return step_answered(&steps); }
       void Run(void) {
           for (;;) {
               const unsigned step = wait_for_step(&steps);
               ... work out the answer ...
               answer_step(&steps, step);
           }
       } */
struct step_handshake {
    step_counter asked; /* steps asked for, raised by Start */
    step_counter answered; /* steps answered, raised by Run */
};

/* Start's side: a new step is asked for. */
static inline void ask_for_step(struct step_handshake* steps) {
    STEP_COUNTER_ADD(&steps->asked);
}

/* IsPause's side: non-zero when Run has answered every step asked for. */
static inline unsigned char step_answered(struct step_handshake* steps) {
    return STEP_COUNTER_LOAD(&steps->answered) == STEP_COUNTER_LOAD(&steps->asked);
}

/* Sleeps a tenth of a millisecond. */
static inline void pause_briefly(void) {
#ifdef __cplusplus
    std::this_thread::sleep_for(std::chrono::microseconds(100));
#else
    const struct timespec pause = { 0, 100000 };
    thrd_sleep(&pause, NULL);
#endif
}

/* Run's side: waits until a step is asked for that is not answered yet,
   sleeping a little between looks so as not to burn the processor; returns
   it, for answer_step. */
static inline unsigned wait_for_step(struct step_handshake* steps) {
    for (;;) {
        const unsigned asked = STEP_COUNTER_LOAD(&steps->asked);
        if (asked != STEP_COUNTER_LOAD(&steps->answered))
            return asked;
        pause_briefly();
    }
}

/* Run's side: the answer to step (from wait_for_step) is ready in output. */
static inline void answer_step(struct step_handshake* steps, unsigned step) {
    STEP_COUNTER_STORE(&steps->answered, step);
}

#endif /* MORVANE_EXAMPLE_HELPERS_H */
