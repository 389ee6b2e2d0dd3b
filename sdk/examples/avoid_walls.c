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
#include "example_helpers.h"
#include "morvane_robot.h"

#include <stdlib.h>

#define RANGING_PORT 3
#define COMPASS_PORT 4
#define LIGHT_PORT 5
#define WALL_NEAR 25 /* turn when a wall is closer than this */
#define SPEED 50
#define TURN_FAST 30
#define TURN_SLOW 12 /* the last degrees of a turn, so as not to overshoot */

enum state { DRIVING, TURNING };

static char input[MORVANE_OUTPUT_SIZE];
static char output[MORVANE_OUTPUT_SIZE];
static enum state state = DRIVING;
static int heading_wanted = 0;

static void motors(int left, int right, int light) {
    write_motors(output, left, right, LIGHT_PORT, light);
}

void Run(void) { }

void SetData(const char* text) {
    keep_input(input, text);
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
            /* Right: the left wheel forward, the right one back. */
            const int speed = turn_speed(heading, heading_wanted, TURN_FAST, TURN_SLOW);
            motors(speed, -speed, MORVANE_LIGHT_YELLOW);
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
    hand_over_output(buffer, output);
}
