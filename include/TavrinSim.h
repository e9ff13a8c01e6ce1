/**
 * @file TavrinSim.h
 * @brief Control of the simulated camera built into the SDK.
 *
 * The library reaches the camera through its driver. When the environment
 * variable TAVRIN_SIM is set when the library first needs the driver, a
 * simulated camera and driver take the real driver's place: they accept the
 * same device paths, I/O control codes and command blocks and answer as the
 * camera would, so everything above runs unchanged. Unset, the real driver is
 * used (outside Windows no camera is found).
 *
 * TAVRIN_SIM = slots [ ";" key "=" value ]...
 *   slots     comma-separated list of the device slots (0 to 31) that hold a
 *             camera, e.g. "0" or "0,2"; may be empty (";" or ";pattern=1":
 *             no camera plugged in yet; Windows has no empty variables).
 *   pattern=N content of every camera at start: 0 lit scene (default),
 *             1 flat level, 2 horizontal ramp, 3 Bayer colour bars.
 *   level=N   10-bit level (0 to 1023) of patterns 1 to 3; default 512.
 *   interval=N  frame period in milliseconds instead of the sensor's pace;
 *             0 delivers every frame at once. Default: the sensor's pace.
 *   light=N   illumination of the lit scene in per cent; default 100.
 *   variant=N the serial ROM byte at 0x1EB0 (camera variant); default 1.
 *   log=N     records kept per slot in the I/O log; default 4096.
 *   settle=0  the library skips the pauses the real camera needs after
 *             clock, sensor and serial ROM writes (100 ms after a clock
 *             change, 20 ms per sensor write): starts take milliseconds
 *             instead of a few hundred. Default 1: the pauses are kept.
 *   replay=FILE  slot 0 holds the camera of a recorded session
 *             (TavrinEx_StartSessionRecording); the path runs to the next
 *             ';'. See "Replaying a session" below.
 *   pace=recorded|fast  the replay's frames at their recorded pace
 *             (default) or each as soon as it is read; with fast, the
 *             next frame only once the SDK has taken the last one, so
 *             every frame reaches the program however slow it is.
 *   end=stall|unplug|loop  once the recorded frames are used up the camera
 *             sends nothing more (reads give up after the driver wait;
 *             default), goes away for good, or starts again with the first.
 *   strict=1  a request that differs from the recording fails, and the
 *             first one is reported (TavrinSim_GetReplayReport).
 *   Unknown keys and malformed items are ignored.
 *
 * The simulated camera:
 * - Opens only the device paths of occupied, plugged slots.
 * - Keeps 256 control registers, 65536 sensor registers, a 64 KiB serial ROM
 *   (0x1800-0x18FF hold an identification text, 0x1EB0 the variant byte,
 *   everything else 0xFF), the transfer length (control registers 0-3,
 *   least significant byte first; CMD_SET_TRANSFER_SIZE writes them too),
 *   the sample width (control register 14: 1 sends 16-bit little-endian
 *   words with 10-bit values, 0 sends the upper 8 of 10 bits), trigger mode
 *   (control register 11 bit 0) and the driver wait (IOCTL_SET_PARAMETER
 *   selector 1, in milliseconds; 3000 at start, 0 means no limit).
 * - Answers CMD_CONTROL_READ and CMD_SROM_READ with two reply blocks on
 *   pipe 1: the first echoes the command byte, the second carries the value
 *   in byte 0. A reply read with no reply waiting fails at once.
 * - Sends on pipe 2 exactly the programmed transfer length per frame (twice
 *   that in 16-bit mode). A read asking for less takes what fits and the
 *   rest of that frame comes with the next read; a read asking for more gets
 *   the frame only: either way a mismatch shows as a short transfer. Frames
 *   of 3,072,000 bytes or more must be read with IOCTL_PIPE_IN_DIRECT_LARGE.
 * - Delivers a frame one frame period after its frame request (or after the
 *   read, without a request; or after the trigger in trigger mode). The
 *   period is 3080 clocks of 36 MHz per line times the larger of the lines
 *   read out (transfer length / 656) and the exposure (sensor register 154).
 *   A read that would wait longer than the driver wait fails after the
 *   driver wait, as the driver's time-out does.
 * - The sensor reads whole 656-pixel lines in the order R G / G B (Bayer
 *   mode 1): generated content is that readout, line after line, cut to the
 *   transfer length. The protocol carries no window width, so an area
 *   narrower than the sensor shows the lines wrapped at its own width; load
 *   a frame of the area's size for exact content at any geometry.
 * - Lit scene: a grey gradient with coloured patches whose level follows the
 *   exposure (sensor register 154), the gain (sensor register 4: 1x at 0 to
 *   8x at 1023) and the light, with red and blue less sensitive than green,
 *   so that automatic exposure and white balance converge on it.
 * - In trigger mode a frame comes only after a trigger pulse: an external
 *   one (TavrinSim_FireTrigger) or a software one (a control register 11
 *   write with bits 1 and 7 set after one with bit 7 clear). Each pulse in
 *   trigger mode makes one frame; pulses outside trigger mode are ignored.
 *
 * Replaying a session: the recorded camera answers every request as the
 * recording says, through the unchanged library:
 * - Frames come bit for bit in their recorded order, with the recorded
 *   result (failed, short and timed-out reads included), each taking as
 *   long as it took when recorded, or at once with pace=fast. A frame read
 *   of another length than recorded is answered by the simulated camera
 *   (with strict=1 it fails).
 * - Other requests (commands, register and ROM reads, driver parameters)
 *   are found among the recorded exchanges near their place and get the
 *   recorded reply and result. Requests the recording does not hold are
 *   answered by the simulated camera, which follows every command and holds
 *   the recorded camera's serial ROM text.
 * - The camera goes away after the frame it went away after when recorded
 *   (opens fail, open handles reach nothing) and comes back after as many
 *   failed opens as when recorded, or (pace=recorded) after twice as long a
 *   time and a second more, for a program that opens it less often.
 * - The replay starts over with the recording's beginning when a camera
 *   object finishes Tavrin_Initialize on slot 0, and again when the program
 *   starts a session recording of it: the point where the recorded session
 *   began. With strict=1 requests before the first of these points are
 *   answered by the simulated camera unchecked; a program that started its
 *   recording after other requests is best replayed by starting its
 *   recording at the same point again.
 * A file cut short or damaged replays up to its last whole chunk. A file
 * that cannot be read leaves slot 0 empty (the reason is written to stderr
 * and kept for TavrinSim_GetReplayReport).
 *
 * Every function returns 1 on success and 0 on failure unless stated, and 0
 * when the simulator is not active. Slots are 0 to 31.
 */
#ifndef TAVRIN_SIM_H
#define TAVRIN_SIM_H

#include "TavrinSdk.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Pattern numbers for TavrinSim_SetPattern. */
#define TAVRINSIM_PATTERN_LIT_SCENE 0
#define TAVRINSIM_PATTERN_FLAT 1
#define TAVRINSIM_PATTERN_RAMP 2
#define TAVRINSIM_PATTERN_COLOR_BARS 3

/* Fault numbers for TavrinSim_InjectFault. */
#define TAVRINSIM_FAULT_FRAME_FAILS 1   /* a frame transfer fails at once */
#define TAVRINSIM_FAULT_FRAME_SHORT 2   /* a frame transfer brings half the frame */
#define TAVRINSIM_FAULT_FRAME_STALLS 3  /* no data until the driver wait, then failure */
#define TAVRINSIM_FAULT_COMMAND_FAILS 4 /* a transfer on pipe 0 fails */
#define TAVRINSIM_FAULT_OPEN_FAILS 5    /* the device path does not open */

/* The pipe of an IOCTL_SET_PARAMETER record. */
#define TAVRINSIM_PIPE_NONE 0xFFFFFFFFu

/* One I/O control request: its code, pipe and output length (for
 * IOCTL_SET_PARAMETER the input length), and for pipes 0 and 1 the first
 * 64 bytes of the block sent or received, for IOCTL_SET_PARAMETER the
 * 44-byte parameter record. Frame data (pipe 2) is not recorded. */
typedef struct {
    unsigned int ioctl;
    unsigned int pipe;
    unsigned int length;
    unsigned char data[64];
} TavrinSimRecord;

/* 1 when the simulated camera is the driver in use. */
TAVRIN_API int TavrinSim_IsActive(void);
/* Plugs (1) or unplugs (0) a camera. A later open of its path follows it;
 * transfers on handles opened before an unplug fail, and a transfer waiting
 * for a frame ends at once. Plugging in again powers the camera up afresh:
 * registers and driver wait return to their start values, the serial ROM,
 * pattern, loaded frame, faults and log stay. */
TAVRIN_API int TavrinSim_SetPresent(int slot, int present);
/* One external trigger pulse. */
TAVRIN_API int TavrinSim_FireTrigger(int slot);
/* Chooses the content: 0 lit scene, 1 flat level, 2 horizontal ramp from 0
 * at the first column to level at column 655, 3 eight vertical colour bars
 * (white, yellow, cyan, green, magenta, red, blue, black) whose lit colour
 * sites hold level. level is 0 to 1023. Clears a loaded frame. */
TAVRIN_API int TavrinSim_SetPattern(int slot, int pattern, int level);
/* From now on the camera sends this exact 10-bit mosaic, row 0 first (8-bit
 * transfers carry sample >> 2): width x height samples, then zeros up to the
 * programmed transfer length, cut off at it. Samples are taken & 0x3FF. */
TAVRIN_API int TavrinSim_LoadFrame(int slot, const unsigned short* samples, int width, int height);
/* The next count occurrences of the fault fail (see TAVRINSIM_FAULT_*);
 * count 0 clears it. */
TAVRIN_API int TavrinSim_InjectFault(int slot, int fault, int count);
TAVRIN_API int TavrinSim_ClearLog(int slot);
/* Copies up to capacity records of the slot's log, oldest first, and
 * returns how many were copied (0 when inactive or on bad arguments). */
TAVRIN_API int TavrinSim_GetLog(int slot, TavrinSimRecord* records, int capacity);
/* The register value the camera holds; -1 for an unknown slot or register
 * (control registers 0-255, sensor registers 0-65535). */
TAVRIN_API int TavrinSim_GetControlRegister(int slot, int reg);
TAVRIN_API int TavrinSim_GetSensorRegister(int slot, int reg);
/* Writes one byte (0-255) of the serial ROM at address 0-0xFFFF. */
TAVRIN_API int TavrinSim_SetSromByte(int slot, int address, int value);
/* The number of frame transfers that delivered data on pipe 2; -1 for an
 * unknown slot. */
TAVRIN_API int TavrinSim_GetFrameCount(int slot);
/* The CPU time the camera has spent making frames and copying them into the
 * reader's buffers since the program started, in nanoseconds, so that
 * measurements of the library can leave the simulated camera's own work out.
 * Returns 1; 0 when inactive or nanoseconds is NULL, -1 for an unknown slot
 * (a replayed camera included). */
TAVRIN_API int TavrinSim_GetFillTime(int slot, unsigned long long* nanoseconds);
/* With a replay in slot 0: copies why the session could not be read, or
 * the strict replay's report of the first request that differed (which
 * request was sent and what the recording holds at its place; also written
 * to stderr once), into text (NUL-terminated, cut to fit) and returns 1;
 * 0 when there is nothing to report, no replay runs, or text is NULL or
 * size is 0. */
TAVRIN_API int TavrinSim_GetReplayReport(char* text, int size);

#ifdef __cplusplus
}
#endif

#endif /* TAVRIN_SIM_H */
