/*
 * morvane_robot.h - the interface of a Morvane robot program.
 *
 * A robot program is a Linux shared library that exports the five functions
 * below with C linkage. Build it, for example, with
 *
 *     gcc -std=c11 -O2 -Wall -shared -fPIC -pthread -I<Morvane>/sdk -o my_robot.so my_robot.c
 *
 * and choose my_robot.so as the robot's program in Morvane.
 *
 * HOW A PROGRAM RUNS
 *
 * Morvane loads a private copy of the library for every robot, so each robot
 * (and each new run) has its own static data. It calls Run() once on a thread
 * of its own; Run is the program's main loop and should loop for the whole
 * run. The simulation advances in steps; in every step Morvane
 *
 *   1. calls SetData() with the step's input text (the sensor readings),
 *   2. calls Start(),
 *   3. lets the program run and calls IsPause() until it returns non-zero,
 *      sleeping 1 ms after every zero result,
 *   4. stops the program and calls GetData() to take the output text (the
 *      motor and light commands).
 *
 * Between steps the whole program is frozen and uses no processor time. A
 * program whose IsPause() returns 0 more than
 * 200 times in one step is too slow: that step's output is still used, then
 * the program is stopped for the rest of the run and the robot repeats its
 * last output. A program that crashes, calls exit(), stays inside SetData,
 * Start, IsPause or GetData for about a second, or writes more than
 * MORVANE_OUTPUT_SIZE bytes into GetData's buffer is stopped the same way;
 * Morvane prints one line saying why. What the program prints with printf
 * appears on Morvane's standard output.
 *
 * RULES
 *
 *   - SetData's text is valid only during the call: copy what you need.
 *   - Start, IsPause and GetData are called from another thread than Run:
 *     share flags and counters through atomics (C11 <stdatomic.h>).
 *   - Return quickly from SetData, Start, IsPause and GetData; do the work in
 *     Run (or, for very little work, in Start, and let IsPause answer 1 at
 *     once).
 *   - GetData's buffer holds MORVANE_OUTPUT_SIZE bytes, all zero on entry;
 *     write at most MORVANE_OUTPUT_SIZE - 1 characters and a final zero.
 *
 * THE INPUT TEXT (Morvane to program)
 *
 *     step " " { port "*" kind "*" reading " " }
 *
 * The step counter (0 in the first step of a run) and a space, then one entry
 * per sensor of the robot, in the order of the robot file, each followed by a
 * space. port is the controller port the sensor is wired to (0: none), kind
 * its sensor kind (MORVANE_SENSOR_...), reading its value fields, each a
 * decimal number followed by "*" (at most 99 characters). A robot without
 * sensors sends only "N ". Example, step 5, a ray sensor on port 1 that sees
 * something and a grey sensor on port 3 over white ground:
 *
 *     "5 1*0*1* 3*4*255* "
 *
 * Readings by kind:
 *   0 ray       1 field:  1 when something is within 100 units ahead, else 0
 *   1 touch     1 field:  1 when the part touched the ground or an obstacle
 *                         since the last step, else 0
 *   2 compass   1 field:  heading 0..359, clockwise
 *   3 ranging   1 field:  distance to the nearest obstacle ahead, 0..500
 *                         (500: nothing within 500)
 *   4 grey      1 field:  ground brightness, 0 black .. 255 white (0 off the
 *                         ground picture)
 *   5 fire      1 field:  flame strength 0..255, for a flame within 30
 *                         degrees of straight ahead
 *   6 volume    1 field:  alarm loudness 0..256
 *   7 trace     8 fields: 1 for a dark spot under each of 8 probes, else 0
 *   8 compound  7 fields: flame strengths from 90 degrees left to 90 degrees
 *                         right in 30-degree steps, 0..255 each
 *   9 life      1 field:  like fire, for wounded figures and objects to carry
 *  10 magnet    1 field:  always 0
 * A sensor that has nothing to measure sends an empty reading ("port*kind*").
 *
 * THE OUTPUT TEXT (program to Morvane)
 *
 *     motor tokens, optionally followed by "l" and light tokens
 *
 * Tokens are separated by single spaces; a token is port "*" value "*" (the
 * last "*" may be left out). Motor tokens come first and end at the first
 * token that starts with "p" or "l". Everything after the first "l" in the
 * text is the light section. A motor value runs from -100 to 100 (larger
 * values are cut); a light value is a colour (MORVANE_LIGHT_...). Example:
 * motor 1 forward at 50, motor 2 backward at 50, light 3 red:
 *
 *     "1*50* 2*-50* l3*1*"
 *
 * A token sets the first device on its port. Motors keep their value until a
 * token changes it, but they only push in steps whose output text is not
 * empty: an empty text means "no torque this step", and "p" alone means "keep
 * every value". Newlines are not separators. A motor at 0 is a brake that
 * holds its wheel still, so "1*0* 2*0*" stops a robot where it is; in a step
 * with an empty text the wheels turn freely against their bearings, and a
 * robot left alone rolls to rest.
 */
#ifndef MORVANE_ROBOT_H
#define MORVANE_ROBOT_H

#define MORVANE_OUTPUT_SIZE 4096
#define MORVANE_POLL_LIMIT 200

#define MORVANE_SENSOR_RAY 0
#define MORVANE_SENSOR_TOUCH 1
#define MORVANE_SENSOR_COMPASS 2
#define MORVANE_SENSOR_RANGING 3
#define MORVANE_SENSOR_GREY 4
#define MORVANE_SENSOR_FIRE 5
#define MORVANE_SENSOR_VOLUME 6
#define MORVANE_SENSOR_TRACE 7
#define MORVANE_SENSOR_COMPOUND 8
#define MORVANE_SENSOR_LIFE 9
#define MORVANE_SENSOR_MAGNET 10

#define MORVANE_LIGHT_OFF 0
#define MORVANE_LIGHT_RED 1
#define MORVANE_LIGHT_GREEN 2
#define MORVANE_LIGHT_BLUE 3
#define MORVANE_LIGHT_YELLOW 4
#define MORVANE_LIGHT_MAGENTA 5
#define MORVANE_LIGHT_CYAN 6
#define MORVANE_LIGHT_WHITE 7

/* Keeps the five functions visible even when the program is built with
   -fvisibility=hidden. */
#if defined(__GNUC__)
#define MORVANE_ROBOT_EXPORT __attribute__((visibility("default")))
#else
#define MORVANE_ROBOT_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The program's main loop, on a thread of its own; called once. */
MORVANE_ROBOT_EXPORT void Run(void);

/* The step's input text, zero-terminated; valid only during the call. */
MORVANE_ROBOT_EXPORT void SetData(const char* input);

/* Writes the step's output text into buffer (MORVANE_OUTPUT_SIZE bytes, all
   zero on entry), zero-terminated. */
MORVANE_ROBOT_EXPORT void GetData(char* buffer);

/* Non-zero when this step's output is ready. Only the low 8 bits count. */
MORVANE_ROBOT_EXPORT unsigned char IsPause(void);

/* A new step begins; called right after SetData. */
MORVANE_ROBOT_EXPORT void Start(void);

#ifdef __cplusplus
}
#endif

#endif /* MORVANE_ROBOT_H */
