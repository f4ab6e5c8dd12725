#!/usr/bin/python3
"""Writes the reference table of the Sun's altitude that the prediction
chart's low-precision formulas are checked against: 200 instants between
2000 and 2040 seen from one site, computed by astropy (get_sun in an AltAz
frame, no refraction).

Usage: /usr/bin/python3 sun_altitude_astropy.py <out.txt>
"""
import sys

import numpy as np
from astropy import units as u
from astropy.coordinates import AltAz, EarthLocation, get_sun
from astropy.time import Time
from astropy.utils import iers

LATITUDE = 49.2   # degrees north
LONGITUDE = 16.6  # degrees east
COUNT = 200
FIRST_JD = 2451545.0  # 2000-01-01 12:00 UTC
LAST_JD = 2466154.5   # 2040-01-01 00:00 UTC

# No network: predicted Earth orientation is extrapolated where the table ends.
iers.conf.auto_download = False
iers.conf.auto_max_age = None
iers.conf.iers_degraded_accuracy = "warn"


def main():
    out = sys.argv[1]
    # Evenly spread days with a fraction of a day that wanders, so that all
    # hours and seasons occur.
    index = np.arange(COUNT)
    jd = FIRST_JD + index * (LAST_JD - FIRST_JD) / COUNT + (index * 0.6180339887) % 1.0
    times = Time(jd, format="jd", scale="utc")
    site = EarthLocation(lat=LATITUDE * u.deg, lon=LONGITUDE * u.deg, height=0 * u.m)
    frame = AltAz(obstime=times, location=site, pressure=0 * u.hPa)
    altitude = get_sun(times).transform_to(frame).alt.deg
    with open(out, "w", encoding="ascii") as f:
        f.write("# Sun altitude by astropy: get_sun in AltAz, no refraction\n")
        f.write("# latitude %.4f longitude %.4f (degrees, east positive)\n" % (LATITUDE, LONGITUDE))
        f.write("# julian_date_utc altitude_degrees\n")
        for t, a in zip(jd, altitude):
            f.write("%.6f %.6f\n" % (t, a))


if __name__ == "__main__":
    main()
