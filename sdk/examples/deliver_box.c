/*
 * deliver_box: a robot of the electronics kit looks for the box with its
 * ranging sensor, drives up to it, waits until it has picked it up, and
 * carries it to the delivery zone along the left edge of the playground.
 *
 * The ranging sensor measures the distance to whatever it faces, along a
 * thin beam. Turning slowly, the robot notes the compass heading at which
 * the beam first meets the box and the heading at which it leaves it again,
 * and then faces the middle of the two.
 *
 * A robot that stays near a box that may be taken (closer than 50 between
 * the robot's middle and the box's) for 10 steps picks it up and carries it
 * on its back; the beam then passes where the box stood. A box carried into
 * its delivery zone earns the zone's score.
 *
 * Wiring: left motor on _M1_, right motor on _M2_ (mounted mirrored and set
 * "opposite"), ranging sensor on _P1_ (looking ahead), compass on _P2_,
 * coloured light on _P3_: blue while looking, red on the way to the box,
 * yellow while picking it up, green on the way to the delivery zone.
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

#define RANGING_PORT 1
#define COMPASS_PORT 2
#define LIGHT_PORT 3
#define SEEN 200 /* anything nearer than this is the box */
#define NEAR_ENOUGH 25 /* stop this far from the box */
#define CLOSE 60 /* the box vanishing this close: it is on the robot's back */
#define SPEED 20
#define DELIVERY_HEADING 270 /* the delivery zone runs along the left edge */

enum state { LOOKING, SWEEPING, FACING, APPROACHING, PICKING_UP, TURNING, DELIVERING };

static char input[MORVANE_OUTPUT_SIZE];
static char output[MORVANE_OUTPUT_SIZE];
static enum state state = LOOKING;
static int first_seen;
static int target_heading;
static int last_distance = 500;

static void motors(int left, int right, int light) {
    write_motors(output, left, right, LIGHT_PORT, light);
}

/* Turns on the spot towards heading wanted, slowly over the last degrees. */
static void turn_towards(int heading, int wanted, int light) {
    const int speed = turn_speed(heading, wanted, 15, 6);
    motors(speed, -speed, light);
}

/* Drives at speed, steering back towards heading wanted. */
static void drive_towards(int heading, int wanted, int speed, int light) {
    const int error = turn_needed(heading, wanted);
    motors(speed + error, speed - error, light);
}

void Run(void) { }

void SetData(const char* text) {
    keep_input(input, text);
}

void Start(void) {
    const int distance = reading_on_port(input, RANGING_PORT, 500);
    const int heading = reading_on_port(input, COMPASS_PORT, 0);

    if (state == LOOKING && distance < SEEN) {
        first_seen = heading;
        state = SWEEPING;
    }
    if (state == SWEEPING && distance >= SEEN) {
        /* Past the box's far edge: its middle lies halfway back. */
        target_heading = (first_seen + (heading - first_seen + 360) % 360 / 2) % 360;
        state = FACING;
    }
    if (state == FACING && abs(turn_needed(heading, target_heading)) <= 1)
        state = APPROACHING;
    if (state == APPROACHING && distance <= NEAR_ENOUGH)
        state = PICKING_UP;
    if ((state == APPROACHING || state == PICKING_UP) && distance >= SEEN) {
        /* The beam no longer meets the box: right in front of the robot it
           has been picked up, farther away the robot has lost it. */
        state = last_distance < CLOSE ? TURNING : LOOKING;
    }
    last_distance = distance;
    if (state == TURNING && abs(turn_needed(heading, DELIVERY_HEADING)) <= 2)
        state = DELIVERING;

    if (state == LOOKING || state == SWEEPING) {
        motors(6, -6, MORVANE_LIGHT_BLUE); /* slowly to the right, so the beam cannot miss the box */
    } else if (state == FACING) {
        turn_towards(heading, target_heading, MORVANE_LIGHT_RED);
    } else if (state == APPROACHING || state == PICKING_UP) {
        /* Forward while the box is farther than NEAR_ENOUGH, slower and
           slower, and back when the robot has rolled too near. */
        int speed = (distance - NEAR_ENOUGH) / 3;
        if (speed > SPEED)
            speed = SPEED;
        if (state == APPROACHING && speed < 4)
            speed = 4;
        drive_towards(
            heading, target_heading, speed, state == PICKING_UP ? MORVANE_LIGHT_YELLOW : MORVANE_LIGHT_RED);
    } else if (state == TURNING) {
        turn_towards(heading, DELIVERY_HEADING, MORVANE_LIGHT_GREEN);
    } else {
        drive_towards(heading, DELIVERY_HEADING, 25, MORVANE_LIGHT_GREEN);
    }
}

unsigned char IsPause(void) {
    return 1;
}

void GetData(char* buffer) {
    hand_over_output(buffer, output);
}
