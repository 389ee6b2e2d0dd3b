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
#include "example_helpers.h"
#include "morvane_robot.h"

#define LEFT_SENSOR_PORT 3
#define RIGHT_SENSOR_PORT 4
#define LIGHT_PORT 5
#define DARK 128 /* grey readings below this are the line */
#define FAST 40
#define SLOW 10
#define CRUISE 35

static char input[MORVANE_OUTPUT_SIZE];
static char output[MORVANE_OUTPUT_SIZE];
static struct step_handshake steps;

void SetData(const char* text) {
    keep_input(input, text);
}

void Start(void) {
    ask_for_step(&steps);
}

unsigned char IsPause(void) {
    return step_answered(&steps);
}

void GetData(char* buffer) {
    hand_over_output(buffer, output);
}

static void think(void) {
    const int left_dark = reading_on_port(input, LEFT_SENSOR_PORT, 255) < DARK;
    const int right_dark = reading_on_port(input, RIGHT_SENSOR_PORT, 255) < DARK;
    if (left_dark && !right_dark) /* the line drifts to the left */
        write_motors(output, SLOW, FAST, LIGHT_PORT, MORVANE_LIGHT_YELLOW);
    else if (right_dark && !left_dark)
        write_motors(output, FAST, SLOW, LIGHT_PORT, MORVANE_LIGHT_CYAN);
    else
        write_motors(output, CRUISE, CRUISE, LIGHT_PORT, MORVANE_LIGHT_GREEN);
}

void Run(void) {
    for (;;) {
        const unsigned step = wait_for_step(&steps);
        think();
        answer_step(&steps, step);
    }
}
