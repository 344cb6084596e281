#!/usr/bin/env python3
"""A chaser: steers toward the nearest ship around cubes, fires in range.
Usage: chasseur.py [host [port]] [--couleur 0xRRGGBB] [--trames N]"""

from robot import main

if __name__ == "__main__":
    main("chasseur")
