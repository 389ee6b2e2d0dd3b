/*
 * avoid_walls: finds its way along a corridor. It drives ahead until the
 * ranging sensor sees a wall close in front, then turns a quarter turn to
 * the right, measured with the compass, and drives on. Between turns it
 * keeps its heading with the compass, so it runs straight down the middle.
 *
 * Wiring: left motor on port 1, right motor on port 2 (mounted mirrored and
 * set "opposite"), ranging sensor on port 3 (looking ahead), compass on
 * port 4, coloured light on port 5: green while driving, yellow while
 * turning.
 *
 * The compass reads which way the robot faces, 0 to 359 degrees clockwise
 * from the playground's north, which is the way the robot faces at the
 * start: 0 as it started, 90 turned right, 180 turned round, 270 turned
 * left. Slipping wheels do not fool it, so it measures turns and keeps a
 * course straight better than counting steps would.
 */
#include "morvane_robot.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define RANGING_PORT 3
#define COMPASS_PORT 4
#define WALL_NEAR 25 /* turn when a wall is closer than this */
#define SPEED 50
#define TURN_FAST 30
#define TURN_SLOW 12 /* the last degrees of a turn, so as not to overshoot */

enum state { DRIVING, TURNING };

static char input[MORVANE_OUTPUT_SIZE];
static char output[MORVANE_OUTPUT_SIZE];
static enum state state = DRIVING;
static int heading_wanted = 0;

/* The first reading of the sensor on the given port, or fallback when the
   input has no such sensor or its reading is empty. Entries look like
   "3*3*120* ": port, kind, reading. */
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

/* How far to turn right (negative: left) to face heading wanted, -179..180. */
static int turn_needed(int heading, int wanted) {
    int d = (wanted - heading) % 360;
    if (d > 180)
        d -= 360;
    if (d <= -180)
        d += 360;
    return d;
}

static void motors(int left, int right, int light) {
    snprintf(output, sizeof output, "1*%d* 2*%d* l5*%d*", left, right, light);
}

void Run(void) { }

void SetData(const char* text) {
    strncpy(input, text, sizeof input - 1);
}

void Start(void) {
    const int distance = reading_on_port(input, RANGING_PORT, 500);
    const int heading = reading_on_port(input, COMPASS_PORT, 0);

    if (state == DRIVING && distance < WALL_NEAR) {
        heading_wanted = (heading_wanted + 90) % 360;
        state = TURNING;
    }
    if (state == TURNING) {
        const int still = turn_needed(heading, heading_wanted);
        if (abs(still) <= 2) {
            state = DRIVING;
        } else {
            const int speed = abs(still) > 20 ? TURN_FAST : TURN_SLOW;
            /* Right: the left wheel forward, the right one back. */
            if (still > 0)
                motors(speed, -speed, MORVANE_LIGHT_YELLOW);
            else
                motors(-speed, speed, MORVANE_LIGHT_YELLOW);
            return;
        }
    }
    /* Drive on, steering back towards the wanted heading. */
    const int error = turn_needed(heading, heading_wanted);
    motors(SPEED + 2 * error, SPEED - 2 * error, MORVANE_LIGHT_GREEN);
}

unsigned char IsPause(void) {
    return 1;
}

void GetData(char* buffer) {
    memcpy(buffer, output, sizeof output);
}
