#!/usr/bin/env python3
"""A turret: stays put, turns toward the nearest ship, fires when aligned.
Usage: tourelle.py [host [port]] [--couleur 0xRRGGBB] [--trames N]"""

from robot import main

if __name__ == "__main__":
    main("tourelle")
