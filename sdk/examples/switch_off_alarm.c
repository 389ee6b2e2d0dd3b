/*
 * switch_off_alarm: a robot of the electronics kit drives up to the alarm
 * ahead of it, listening to it with the sound sensor, stays beside it until
 * it has been switched off, and drives back home.
 *
 * The sound sensor reads how loud the nearest alarm is: 256 minus its
 * distance, 0 when it is 256 or more away. It does not tell where the alarm
 * is, nor whether it has been switched off yet: an alarm goes off when a
 * robot stays near it (closer than 50 between the robot's middle and the
 * alarm's) for 300 steps, which earns 10 points, so the robot counts the
 * steps it has waited. Driving home into the end zone earns 100 more and
 * ends the run.
 *
 * Wiring: left motor on _M1_, right motor on _M2_ (mounted mirrored and set
 * "opposite"), sound sensor on _P1_, compass on _P2_, coloured light on
 * _P3_: red on the way to the alarm, yellow while waiting beside it, green
 * on the way home.
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

#define SOUND_PORT 1
#define COMPASS_PORT 2
#define LIGHT_PORT 3
#define NEAR_ENOUGH 216 /* a loudness of 216: the alarm is 40 away */
#define WAIT_STEPS 320 /* a little more than the alarm needs */
#define SPEED 20
#define HOME_HEADING 180 /* the robot starts facing away from home */

enum state { APPROACHING, WAITING, TURNING_HOME, DRIVING_HOME };

static char input[MORVANE_OUTPUT_SIZE];
static char output[MORVANE_OUTPUT_SIZE];
static enum state state = APPROACHING;
static int waited;

static void motors(int left, int right, int light) {
    write_motors(output, left, right, LIGHT_PORT, light);
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
    const int loudness = reading_on_port(input, SOUND_PORT, 0);
    const int heading = reading_on_port(input, COMPASS_PORT, 0);

    if (state == APPROACHING && loudness >= NEAR_ENOUGH)
        state = WAITING;
    if (state == WAITING && ++waited > WAIT_STEPS)
        state = TURNING_HOME;
    if (state == TURNING_HOME && abs(turn_needed(heading, HOME_HEADING)) <= 2)
        state = DRIVING_HOME;

    if (state == APPROACHING || state == WAITING) {
        /* Forward while the alarm is farther than NEAR_ENOUGH, slower and
           slower, and back when the robot has rolled too near. */
        int speed = (NEAR_ENOUGH - loudness) / 4;
        if (speed > SPEED)
            speed = SPEED;
        if (state == APPROACHING && speed < 5)
            speed = 5;
        drive_towards(heading, 0, speed, state == WAITING ? MORVANE_LIGHT_YELLOW : MORVANE_LIGHT_RED);
    } else if (state == TURNING_HOME) {
        const int speed = turn_speed(heading, HOME_HEADING, 15, 6);
        motors(speed, -speed, MORVANE_LIGHT_GREEN);
    } else {
        drive_towards(heading, HOME_HEADING, 25, MORVANE_LIGHT_GREEN);
    }
}

unsigned char IsPause(void) {
    return 1;
}

void GetData(char* buffer) {
    hand_over_output(buffer, output);
}
