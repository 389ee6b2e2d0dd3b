/*
 * there_and_back: a robot of the electronics kit. It drives ahead until its
 * touch sensor bumps into the wall, turns round with the compass and drives
 * back home.
 *
 * The electronics kit wires motors to the ports _M1_ to _M4_ and sensors
 * and lights to _P1_ to _P8_: in the texts a motor on _M1_ is port 1 of the
 * motor section, a sensor on _P1_ reads as port 1 of the input. Its motors
 * are twice as strong as the basic kit's: 25 here drives as fast as 50
 * there.
 *
 * Wiring: left motor on _M1_, right motor on _M2_ (mounted mirrored and set
 * "opposite"), touch sensor on _P1_ (at the front), compass on _P2_,
 * coloured light on _P3_: green on the way out, yellow while turning, blue
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

#define TOUCH_PORT 1
#define COMPASS_PORT 2
#define LIGHT_PORT 3
#define SPEED 25
#define TURN_FAST 15
#define TURN_SLOW 6
#define HOME_HEADING 180 /* the robot starts facing away from home */

enum state { OUT, TURNING, HOME };

static char input[MORVANE_OUTPUT_SIZE];
static char output[MORVANE_OUTPUT_SIZE];
static enum state state = OUT;

static void motors(int left, int right, int light) {
    write_motors(output, left, right, LIGHT_PORT, light);
}

void Run(void) { }

void SetData(const char* text) {
    keep_input(input, text);
}

void Start(void) {
    const int touched = reading_on_port(input, TOUCH_PORT, 0);
    const int heading = reading_on_port(input, COMPASS_PORT, 0);

    if (state == OUT && touched)
        state = TURNING;
    if (state == TURNING && abs(turn_needed(heading, HOME_HEADING)) <= 2)
        state = HOME;

    if (state == OUT) {
        const int error = turn_needed(heading, 0);
        motors(SPEED + error, SPEED - error, MORVANE_LIGHT_GREEN);
    } else if (state == TURNING) {
        const int speed = turn_speed(heading, HOME_HEADING, TURN_FAST, TURN_SLOW);
        motors(speed, -speed, MORVANE_LIGHT_YELLOW);
    } else {
        const int error = turn_needed(heading, HOME_HEADING);
        motors(SPEED + error, SPEED - error, MORVANE_LIGHT_BLUE);
    }
}

unsigned char IsPause(void) {
    return 1;
}

void GetData(char* buffer) {
    hand_over_output(buffer, output);
}
