/*
 * put_out_candle: finds the candle by its flame, drives up to it and waits
 * beside it until the flame is out, then turns round and drives home.
 *
 * A candle goes out when a robot stays near it (closer than 50 between the
 * robot's middle and the candle's) for 300 steps; that earns 10 points.
 * Driving home into the end zone earns 100 more and ends the run.
 *
 * Wiring: left motor on port 1, right motor on port 2 (mounted mirrored and
 * set "opposite"), compound flame sensor on port 3, compass on port 4,
 * coloured light on port 5: blue while looking for the flame, red while
 * driving to it, yellow while waiting, green on the way home.
 *
 * The compound flame sensor has seven eyes, from 90 degrees left (field 1)
 * through straight ahead (field 4) to 90 degrees right (field 7), 30
 * degrees apart. Each reads 255 minus the distance to a flame it sees, 0
 * for none: the nearer the flame, the larger the reading.
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

#define FLAME_PORT 3
#define COMPASS_PORT 4
#define LIGHT_PORT 5
#define EYES 7
#define CLOSE_ENOUGH 215 /* a reading of 215: the flame is 40 away */
#define SPEED 40
#define HOME_HEADING 180 /* the robot starts facing away from home */

enum state { LOOKING, APPROACHING, WAITING, TURNING_HOME, DRIVING_HOME };

static char input[MORVANE_OUTPUT_SIZE];
static char output[MORVANE_OUTPUT_SIZE];
static enum state state = LOOKING;

static void motors(int left, int right, int light) {
    write_motors(output, left, right, LIGHT_PORT, light);
}

void Run(void) { }

void SetData(const char* text) {
    keep_input(input, text);
}

void Start(void) {
    int eyes[EYES];
    read_fields(fields_on_port(input, FLAME_PORT), eyes, EYES);
    int heading = 0;
    read_fields(fields_on_port(input, COMPASS_PORT), &heading, 1);

    /* How near the flame is (the largest reading), and where: the middle of
       the eyes that see it, 3 being straight ahead. */
    int strongest = 0;
    int seeing = 0;
    int eye_sum = 0;
    for (int i = 0; i < EYES; ++i) {
        if (eyes[i] > strongest)
            strongest = eyes[i];
        if (eyes[i] > 0) {
            ++seeing;
            eye_sum += i;
        }
    }

    if (state == LOOKING && strongest > 0)
        state = APPROACHING;
    if (state == APPROACHING && strongest == 0)
        state = LOOKING; /* lost it: look again */
    if (state == APPROACHING && strongest >= CLOSE_ENOUGH)
        state = WAITING;
    if (state == WAITING && strongest == 0)
        state = TURNING_HOME; /* the flame is out */
    if (state == TURNING_HOME && abs(turn_needed(heading, HOME_HEADING)) <= 2)
        state = DRIVING_HOME;

    if (state == LOOKING) {
        motors(25, -25, MORVANE_LIGHT_BLUE); /* turn on the spot until an eye sees it */
    } else if (state == APPROACHING || state == WAITING) {
        /* Steer towards the flame and hold the distance: forward while it
           is farther than CLOSE_ENOUGH, slower and slower on the way, and
           back when the robot has rolled too near. */
        const int steer = (2 * eye_sum - 6 * seeing) * 5 / seeing;
        int speed = (CLOSE_ENOUGH - strongest) / 2;
        if (speed > SPEED)
            speed = SPEED;
        if (state == APPROACHING && speed < 10)
            speed = 10;
        motors(speed + steer, speed - steer, state == WAITING ? MORVANE_LIGHT_YELLOW : MORVANE_LIGHT_RED);
    } else if (state == TURNING_HOME) {
        const int speed = turn_speed(heading, HOME_HEADING, 30, 12);
        motors(speed, -speed, MORVANE_LIGHT_GREEN);
    } else {
        const int error = turn_needed(heading, HOME_HEADING);
        motors(50 + 2 * error, 50 - 2 * error, MORVANE_LIGHT_GREEN);
    }
}

unsigned char IsPause(void) {
    return 1;
}

void GetData(char* buffer) {
    hand_over_output(buffer, output);
}
