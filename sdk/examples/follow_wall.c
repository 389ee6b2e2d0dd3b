/*
 * follow_wall: a robot of the electronics kit that finds its way round a
 * block by keeping the block's wall on its right, the way out of many a
 * maze.
 *
 * Two ranging sensors measure the distance to the nearest obstacle they
 * face, 0 to 500: one looks ahead, one to the right. The robot keeps the
 * wall on its right about WALL_DISTANCE away, steering gently towards it or
 * away from it; when the wall on the right ends it curves round to the
 * right to find it again, and when a wall comes up ahead it turns left on
 * the spot.
 *
 * Wiring: left motor on _M1_, right motor on _M2_ (mounted mirrored and set
 * "opposite"), ranging sensor looking ahead on _P1_, ranging sensor looking
 * right on _P2_, coloured light on _P3_: green along the wall, yellow
 * rounding a corner, red turning away from a wall ahead.
 */
#include "example_helpers.h"
#include "morvane_robot.h"

#define AHEAD_PORT 1
#define RIGHT_PORT 2
#define LIGHT_PORT 3
#define SPEED 18
#define WALL_DISTANCE 20 /* from the right sensor to the wall */
#define WALL_LOST 60 /* farther than this: the wall on the right has ended */
#define BLOCKED 25 /* a wall this near ahead: turn left */

static char input[MORVANE_OUTPUT_SIZE];
static char output[MORVANE_OUTPUT_SIZE];

static void motors(int left, int right, int light) {
    write_motors(output, left, right, LIGHT_PORT, light);
}

void Run(void) { }

void SetData(const char* text) {
    keep_input(input, text);
}

void Start(void) {
    const int ahead = reading_on_port(input, AHEAD_PORT, 500);
    const int right = reading_on_port(input, RIGHT_PORT, 500);

    if (ahead < BLOCKED) {
        motors(-10, 10, MORVANE_LIGHT_RED); /* a wall ahead: turn left on the spot */
    } else if (right > WALL_LOST) {
        motors(SPEED, SPEED / 4, MORVANE_LIGHT_YELLOW); /* the wall has ended: round the corner */
    } else {
        /* Along the wall: towards it when too far, away when too near. */
        int steer = (right - WALL_DISTANCE) / 2;
        if (steer > 6)
            steer = 6;
        if (steer < -6)
            steer = -6;
        motors(SPEED + steer, SPEED - steer, MORVANE_LIGHT_GREEN);
    }
}

unsigned char IsPause(void) {
    return 1;
}

void GetData(char* buffer) {
    hand_over_output(buffer, output);
}
