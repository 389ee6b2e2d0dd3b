/*
 * trace_line: a robot of the electronics kit that follows a black line with
 * the eight-eyed line sensor.
 *
 * The line sensor looks down with seven eyes in a row across the robot's
 * front, 7, 4 and 2 units left of the middle, the middle, and 2, 4 and 7
 * right (fields 1 to 7), and one eye in the middle behind them (field 8).
 * Each reads 1 over black and 0 elsewhere. The robot steers towards the
 * middle of the eyes that see the line, harder the farther out they are;
 * when none sees it, it turns the way it last turned until one does.
 *
 * Wiring: left motor on _M1_, right motor on _M2_ (mounted mirrored and set
 * "opposite"), line sensor on _P1_, coloured light on _P2_: green on the
 * line, red while looking for it.
 */
#include "example_helpers.h"
#include "morvane_robot.h"

#define LINE_PORT 1
#define LIGHT_PORT 2
#define SPEED 18
#define STEER 3 /* motor value per unit the line lies off the middle */

static const int eye_x[7] = { -7, -4, -2, 0, 2, 4, 7 };

static char input[MORVANE_OUTPUT_SIZE];
static char output[MORVANE_OUTPUT_SIZE];
static int last_steer;

void Run(void) { }

void SetData(const char* text) {
    keep_input(input, text);
}

void Start(void) {
    int eyes[8];
    read_fields(fields_on_port(input, LINE_PORT), eyes, 8);
    int dark = 0;
    int x_sum = 0;
    for (int i = 0; i < 7; ++i) {
        if (eyes[i]) {
            ++dark;
            x_sum += eye_x[i];
        }
    }
    int light = MORVANE_LIGHT_GREEN;
    if (dark > 0) {
        /* The line lies x_sum / dark units right of the middle. */
        last_steer = STEER * x_sum / dark;
    } else {
        light = MORVANE_LIGHT_RED;
        last_steer = last_steer >= 0 ? SPEED : -SPEED;
    }
    write_motors(output, SPEED + last_steer, SPEED - last_steer, LIGHT_PORT, light);
}

unsigned char IsPause(void) {
    return 1;
}

void GetData(char* buffer) {
    hand_over_output(buffer, output);
}
