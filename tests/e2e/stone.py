"""The generator's stone, scratched as a user would."""

from lockmere_testing import harness

GENERATOR = " Create 256 Bit Encryption String"
# Image1's place in the generator, twips.
PICTURE_LEFT, PICTURE_TOP, PICTURE_HEIGHT = 945, 3060, 1635


def sweep(s, win):
    """One pass over the columns that stand for characters (pointer x from
    29 to 90 pixels inside the picture), back and forth."""
    y = harness.px(PICTURE_TOP + PICTURE_HEIGHT // 2)
    left = harness.px(PICTURE_LEFT)
    for x in list(range(27, 93)) + list(range(92, 26, -1)):
        try:
            s.move_px(win, left + x, y)
        except harness.Failure:
            if s.windows(GENERATOR):
                raise
            return  # it finished and went away under the pointer


def scratch(s):
    """Sweeps the generator until the master-account window opens; gives it."""
    generator = s.wait_window(GENERATOR)
    for _ in range(5):
        if s.windows(" New User Creation"):
            break
        sweep(s, generator)
    return s.wait_window(" New User Creation")
