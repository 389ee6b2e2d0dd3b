/*
 * drive_and_blink: drives straight ahead, turns on the spot now and then, and
 * blinks a light while it drives.
 *
 * Wiring: left motor on port 1, right motor on port 2, coloured light on
 * port 3. The robot needs no sensors; only the step counter of the input text
 * is used.
 *
 * It shows the shape every robot program has: SetData and Start hand a new
 * step to Run, Run works it out and raises the pause flag, GetData hands the
 * answer back.
 */
#include "example_helpers.h"
#include "morvane_robot.h"

#include <stdlib.h>

#define LIGHT_PORT 3
#define CYCLE 120 /* steps of one drive-and-turn cycle */
#define DRIVE_STEPS 100 /* the first 100 of them straight ahead */
#define BLINK_STEPS 10 /* the light changes every 10 steps */

static char input[MORVANE_OUTPUT_SIZE];
static char output[MORVANE_OUTPUT_SIZE];
/* Steps asked for (raised by Start) and steps answered (raised by Run). */
static struct step_handshake steps;

void SetData(const char* text) {
    /* The text is ours only during this call. */
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
    const long step = strtol(input, NULL, 10);
    const long phase = step % CYCLE;
    if (phase < DRIVE_STEPS) {
        const int light = (phase / BLINK_STEPS) % 2 == 0 ? MORVANE_LIGHT_RED : MORVANE_LIGHT_OFF;
        write_motors(output, 50, 50, LIGHT_PORT, light);
    } else {
        write_motors(output, 40, -40, LIGHT_PORT, MORVANE_LIGHT_GREEN);
    }
}

void Run(void) {
    for (;;) {
        /* Sleeps a little while there is nothing to do, without burning the
           processor. */
        const unsigned step = wait_for_step(&steps);
        think();
        answer_step(&steps, step);
    }
}
