/*
 * line_follower: follows a dark line on a bright ground with two grey
 * sensors, one left and one right of the line.
 *
 * Wiring: left motor on port 1, right motor on port 2 (mounted mirrored and
 * set "opposite", so that positive values drive both wheels forward), left
 * grey sensor on port 3, right grey sensor on port 4, coloured light on
 * port 5. The light tells what the robot is doing: green straight ahead,
 * yellow turning left, cyan turning right.
 *
 * A grey sensor looks down at the ground under it and reads its
 * brightness, 0 for black to 255 for white. The robot straddles the line:
 * while both sensors see bright ground it drives straight on; when one of
 * them sees the line, the line has drifted to that side, and the robot
 * turns towards it until the sensor is off the line again.
 *
 * The work is done in Run, on the program's own thread, the way a program
 * with more to think about would do it: Start counts a new step, Run sees
 * the count change, works out the motors and counts the step answered,
 * and IsPause tells Morvane that the answer is ready. (drive_to_zone shows
 * the short way for very little work: everything in Start.)
 */
#define _POSIX_C_SOURCE 200809L

#include "morvane_robot.h"

#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#define LEFT_SENSOR_PORT 3
#define RIGHT_SENSOR_PORT 4
#define DARK 128 /* grey readings below this are the line */
#define FAST 40
#define SLOW 10
#define CRUISE 35

static char input[MORVANE_OUTPUT_SIZE];
static char output[MORVANE_OUTPUT_SIZE];
static atomic_uint steps_asked;
static atomic_uint steps_answered;

void SetData(const char* text) {
    strncpy(input, text, sizeof input - 1);
}

void Start(void) {
    atomic_fetch_add(&steps_asked, 1);
}

unsigned char IsPause(void) {
    return atomic_load(&steps_answered) == atomic_load(&steps_asked);
}

void GetData(char* buffer) {
    memcpy(buffer, output, sizeof output);
}

/* The first reading of the sensor on the given port, or fallback when the
   input has no such sensor or its reading is empty. Entries look like
   "3*4*200* ": port, kind, reading. */
static int reading_on_port(const char* text, int port, int fallback) {
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
        const char* value = end + 1;
        if (sensor_port == port) {
            const long reading = strtol(value, &end, 10);
            return end == value ? fallback : (int)reading;
        }
        p = strchr(value, ' ');
    }
    return fallback;
}

static void think(void) {
    const int left_dark = reading_on_port(input, LEFT_SENSOR_PORT, 255) < DARK;
    const int right_dark = reading_on_port(input, RIGHT_SENSOR_PORT, 255) < DARK;
    if (left_dark && !right_dark) /* the line drifts to the left */
        snprintf(output, sizeof output, "1*%d* 2*%d* l5*%d*", SLOW, FAST, MORVANE_LIGHT_YELLOW);
    else if (right_dark && !left_dark)
        snprintf(output, sizeof output, "1*%d* 2*%d* l5*%d*", FAST, SLOW, MORVANE_LIGHT_CYAN);
    else
        snprintf(output, sizeof output, "1*%d* 2*%d* l5*%d*", CRUISE, CRUISE, MORVANE_LIGHT_GREEN);
}

void Run(void) {
    unsigned answered = 0;
    for (;;) {
        const unsigned asked = atomic_load(&steps_asked);
        if (asked == answered) {
            const struct timespec wait = { 0, 100000 };
            nanosleep(&wait, NULL);
            continue;
        }
        think();
        answered = asked;
        atomic_store(&steps_answered, answered);
    }
}
