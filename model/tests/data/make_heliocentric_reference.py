#!/usr/bin/python3
"""Writes heliocentric_reference.txt: heliocentric light-travel times from
astropy (builtin ephemeris, geocentre, ICRS star positions) for random dates
1990-2035 and random positions spread evenly over the sky.

Run with Debian's /usr/bin/python3 (python3-astropy); needs no network.
"""
import numpy as np
from astropy.utils import iers

iers.conf.auto_download = False
iers.conf.iers_degraded_accuracy = "ignore"

import astropy.units as u
from astropy.coordinates import EarthLocation, SkyCoord
from astropy.time import Time

COUNT = 600
rng = np.random.default_rng(20261208)
jd_start = Time("1990-01-01T00:00:00", scale="tt").jd
jd_end = Time("2035-12-31T00:00:00", scale="tt").jd
jd = rng.uniform(jd_start, jd_end, COUNT)
ra_deg = rng.uniform(0.0, 360.0, COUNT)
dec_deg = np.degrees(np.arcsin(rng.uniform(-1.0, 1.0, COUNT)))

times = Time(jd, format="jd", scale="tt")
stars = SkyCoord(ra_deg * u.deg, dec_deg * u.deg, frame="icrs")
geocentre = EarthLocation.from_geocentric(0, 0, 0, unit=u.m)
ltt = times.light_travel_time(stars, kind="heliocentric", ephemeris="builtin",
                              location=geocentre).to(u.day).value

with open("heliocentric_reference.txt", "w") as out:
    out.write("# astropy %s heliocentric light-travel time, builtin ephemeris, geocentre\n"
              % __import__("astropy").__version__)
    out.write("# jd  ra_hours  dec_degrees  hjd_minus_jd_days\n")
    for row in zip(jd, ra_deg / 15.0, dec_deg, ltt):
        out.write("%.8f %.10f %.10f %.12e\n" % row)
