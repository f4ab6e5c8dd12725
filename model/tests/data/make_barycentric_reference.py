#!/usr/bin/python3
"""Writes barycentric_reference.txt: BJD_TDB of geocentric UTC Julian dates
from astropy, Time(utc).tdb + light_travel_time(kind='barycentric') with the
builtin ephemeris at the geocentre, for 600 random instants 1990-2035 spread
over eight sky positions (the ecliptic poles and plane, the celestial pole
region, the south, and two eclipsing binaries).

Run with Debian's /usr/bin/python3 (python3-astropy); needs no network.
"""
import warnings

import numpy as np
from astropy.utils import iers

iers.conf.auto_download = False
iers.conf.iers_degraded_accuracy = "ignore"
# ERFA calls dates after its leap-second table "dubious"; no leap second has
# been added since, so the values stand.
warnings.simplefilter("ignore")

import astropy.units as u
from astropy.coordinates import EarthLocation, SkyCoord
from astropy.time import Time

# (right ascension hours, declination degrees)
POSITIONS = [
    (0.0, 0.0),
    (6.0, 23.4393),
    (18.0, 66.5607),
    (6.0, -66.5607),
    (12.0, 89.9),
    (9.0, -45.0),
    (16.5723139, 57.1623333),  # CM Dra
    (3.7915139, 24.2883333),   # HD 23642
]
PER_POSITION = 75

rng = np.random.default_rng(20260411)
start = Time("1990-01-01T00:00:00", scale="utc").jd
end = Time("2035-12-31T00:00:00", scale="utc").jd
geocentre = EarthLocation.from_geocentric(0, 0, 0, unit=u.m)

rows = []
for ra_hours, dec_deg in POSITIONS:
    # Rounded first, so that the dates written are exactly those converted.
    jd = np.round(rng.uniform(start, end, PER_POSITION), 8)
    times = Time(jd, format="jd", scale="utc", location=geocentre)
    star = SkyCoord(ra_hours * 15.0 * u.deg, dec_deg * u.deg, frame="icrs")
    ltt = times.light_travel_time(star, kind="barycentric", ephemeris="builtin")
    bjd = times.tdb + ltt
    difference = (bjd.jd1 - times.jd1) + (bjd.jd2 - times.jd2)
    for row in zip(jd, difference):
        rows.append((row[0], ra_hours, dec_deg, row[1]))

with open("barycentric_reference.txt", "w") as out:
    out.write("# astropy %s: Time(utc).tdb + light_travel_time(kind='barycentric'), builtin ephemeris, geocentre\n"
              % __import__("astropy").__version__)
    out.write("# utc_jd  ra_hours  dec_degrees  bjd_tdb_minus_utc_jd_days\n")
    for row in rows:
        out.write("%.8f %.7f %.7f %.12e\n" % row)
