/*
 * rescue_astronaut: looks round for the astronaut with the life sensor,
 * drives up to it, waits until it has picked the astronaut up, and carries
 * it home to the rescue zone.
 *
 * The life sensor looks straight ahead, like a flame sensor: it reads 255
 * minus the distance to a figure within 30 degrees of ahead, 0 for none. It
 * tells how far, not where in those 60 degrees. So the robot first turns
 * once all the way round, notes at which compass headings it saw the
 * figure, and then faces the middle of them.
 *
 * A robot that stays near an astronaut (closer than 50 between the robot's
 * middle and the figure's) for 10 steps picks it up and carries it on its
 * back; one that bumps into it knocks it out of the game. An astronaut
 * carried into the rescue zone earns its score there.
 *
 * Wiring: left motor on port 1, right motor on port 2 (mounted mirrored and
 * set "opposite"), life sensor on port 3, compass on port 4, coloured
 * light on port 5: blue while looking round, red on the way to the
 * astronaut, yellow while picking it up, green on the way home.
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
#include <string.h>

#define LIFE_PORT 3
#define COMPASS_PORT 4
#define LIGHT_PORT 5
/* A reading of 225: the figure is 30 from the sensor, which sits 13 ahead of
   the robot's middle, so the middle is within the 50 that picks it up. */
#define CLOSE_ENOUGH 225
#define SPEED 40
#define HOME_HEADING 180 /* the robot starts facing away from home */

enum state { LOOKING_ROUND, FACING, APPROACHING, PICKING_UP, TURNING_HOME, DRIVING_HOME };

static char input[MORVANE_OUTPUT_SIZE];
static char output[MORVANE_OUTPUT_SIZE];
static enum state state = LOOKING_ROUND;
static int seen[360]; /* 1 for every compass heading the figure was seen at */
static int turned; /* degrees turned while looking round */
static int last_heading = -1;
static int last_life;
static int target_heading;

/* The middle of the longest run of headings the figure was seen at, going
   round the circle; -1 when it was not seen at all. */
static int middle_of_sighting(void) {
    int best_start = -1;
    int best_length = 0;
    for (int start = 0; start < 360; ++start) {
        if (!seen[start] || seen[(start + 359) % 360])
            continue; /* not the first heading of a run */
        int length = 0;
        while (length < 360 && seen[(start + length) % 360])
            ++length;
        if (length > best_length) {
            best_start = start;
            best_length = length;
        }
    }
    if (best_start < 0)
        return seen[0] ? 0 : -1; /* seen all round, or never */
    return (best_start + best_length / 2) % 360;
}

static void motors(int left, int right, int light) {
    write_motors(output, left, right, LIGHT_PORT, light);
}

/* Turns on the spot towards heading wanted, slowly over the last degrees. */
static void turn_towards(int heading, int wanted, int light) {
    const int speed = turn_speed(heading, wanted, 30, 12);
    motors(speed, -speed, light);
}

/* Drives at speed, steering back towards heading wanted. */
static void drive_towards(int heading, int wanted, int speed, int light) {
    const int error = turn_needed(heading, wanted);
    motors(speed + 2 * error, speed - 2 * error, light);
}

void Run(void) { }

void SetData(const char* text) {
    keep_input(input, text);
}

void Start(void) {
    const int life = reading_on_port(input, LIFE_PORT, 0);
    const int heading = reading_on_port(input, COMPASS_PORT, 0);

    if (state == LOOKING_ROUND) {
        const int step = last_heading < 0 ? 0 : (heading - last_heading + 360) % 360;
        if (life > 0) {
            /* Every heading since the last step, when it saw the figure
               then too: the robot turns a few degrees a step. */
            const int from = last_life > 0 ? 1 : step;
            for (int d = from; d <= step; ++d)
                seen[(last_heading + d) % 360] = 1;
        }
        turned += step;
        last_heading = heading;
        last_life = life;
        if (turned < 360) {
            motors(20, -20, MORVANE_LIGHT_BLUE); /* to the right, slowly enough to see */
            return;
        }
        target_heading = middle_of_sighting();
        state = target_heading < 0 ? DRIVING_HOME : FACING;
    }
    if (state == FACING && abs(turn_needed(heading, target_heading)) <= 2)
        state = APPROACHING;
    if (state == APPROACHING && life == 0) {
        /* Lost it: look round again. */
        memset(seen, 0, sizeof seen);
        turned = 0;
        last_heading = -1;
        state = LOOKING_ROUND;
        motors(20, -20, MORVANE_LIGHT_BLUE);
        return;
    }
    if (state == APPROACHING && life >= CLOSE_ENOUGH)
        state = PICKING_UP;
    if (state == PICKING_UP && life == 0)
        state = TURNING_HOME; /* it is on the robot's back: the sensor no longer sees it */
    if (state == TURNING_HOME && abs(turn_needed(heading, HOME_HEADING)) <= 2)
        state = DRIVING_HOME;

    if (state == FACING) {
        turn_towards(heading, target_heading, MORVANE_LIGHT_RED);
    } else if (state == APPROACHING || state == PICKING_UP) {
        /* Forward while the figure is farther than CLOSE_ENOUGH, slower and
           slower, and back when the robot has rolled too near. */
        int speed = (CLOSE_ENOUGH - life) / 2;
        if (speed > SPEED)
            speed = SPEED;
        if (state == APPROACHING && speed < 10)
            speed = 10;
        drive_towards(
            heading, target_heading, speed, state == PICKING_UP ? MORVANE_LIGHT_YELLOW : MORVANE_LIGHT_RED);
    } else if (state == TURNING_HOME) {
        turn_towards(heading, HOME_HEADING, MORVANE_LIGHT_GREEN);
    } else {
        drive_towards(heading, HOME_HEADING, 50, MORVANE_LIGHT_GREEN);
    }
}

unsigned char IsPause(void) {
    return 1;
}

void GetData(char* buffer) {
    hand_over_output(buffer, output);
}
