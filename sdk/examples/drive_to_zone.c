/*
 * drive_to_zone: the smallest useful robot program. It drives straight
 * ahead, through the score zone, into the end zone, with its light green.
 *
 * Wiring: left motor on port 1, right motor on port 2 (mounted mirrored and
 * set "opposite", so that positive values drive both wheels forward),
 * coloured light on port 3.
 *
 * The work of each step is so small that this program does it right in
 * Start() and answers IsPause() with 1 at once; Run() has nothing to do.
 */
#include "example_helpers.h"
#include "morvane_robot.h"

#define SPEED 50 /* -100 .. 100; at 50 the robot covers about 1 unit per step */
#define LIGHT_PORT 3

static char output[MORVANE_OUTPUT_SIZE];

void Run(void) { }

void SetData(const char* input) {
    (void)input; /* this robot has no sensors to read */
}

void Start(void) {
    /* motor 1 and motor 2 at SPEED, then the light section: light 3 green,
       "1*50* 2*50* l3*2*" */
    write_motors(output, SPEED, SPEED, LIGHT_PORT, MORVANE_LIGHT_GREEN);
}

unsigned char IsPause(void) {
    return 1;
}

void GetData(char* buffer) {
    hand_over_output(buffer, output);
}
