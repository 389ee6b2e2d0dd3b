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
#include "morvane_robot.h"

#include <stdio.h>
#include <string.h>

#define SPEED 50 /* -100 .. 100; at 50 the robot covers about 1 unit per step */

static char output[MORVANE_OUTPUT_SIZE];

void Run(void) { }

void SetData(const char* input) {
    (void)input; /* this robot has no sensors to read */
}

void Start(void) {
    /* motor 1 and motor 2 at SPEED, then the light section: light 3 green */
    snprintf(output, sizeof output, "1*%d* 2*%d* l3*%d*", SPEED, SPEED, MORVANE_LIGHT_GREEN);
}

unsigned char IsPause(void) {
    return 1;
}

void GetData(char* buffer) {
    memcpy(buffer, output, sizeof output);
}
