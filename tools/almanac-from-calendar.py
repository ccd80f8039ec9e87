#!/usr/bin/env python3
"""Regenerates data/almanac.tsv, the almanac that ships with Ombrelune.

The first names come from the French name-day list of the BSD `calendar`
program (Debian package "calendar"); the choices that list cannot make for
us (saint or sainte, days it leaves empty, spelling, which names fit in the
greeting window) and the holidays of the second column are kept below, so
that a rerun gives the same file.

    tools/almanac-from-calendar.py [--source FILE] [--output FILE | --check]

Without --output the file is written to stdout. --check compares with the
data/almanac.tsv of the source tree and exits 1 on any difference.
"""

import argparse
import datetime
import re
import sys
from pathlib import Path

DEFAULT_SOURCE = "/usr/share/calendar/fr_FR/calendar.fetes"
MAX_LEN = 30  # the greeting window cuts anything longer

# Lines of the source that are not a name (jokes, notes).
NOT_A_NAME = {"Galette des rois", "Votre fichier calendar est corrompu"}

# Spelling fixes; None drops a name that repeats the one before it.
SPELLING = {
    "Hyppolite": "Hippolyte",
    "Barthélémy": "Barthélemy",
    "Appollonie": None,
    "Melchaide": None,
    "Perpetuus": None,
    "Anne-Aymone": None,
    "Didace": None,
}

# Names ending in -e or -a that are a saint's, not a sainte's.
MASCULINE = set("""
Almaque Télémaque Basile Grégoire Mélaine Hilaire Antoine Euloge Augure
Sulpice Timothée Tite Théophane Blaise Anschaire Partène Jérôme Polyeucte
Méthode Cyrille Alexis Claude Pierre-Damien Lazare Polycarpe Modeste Guénolé
Salomon Rodrigue Patrice Joseph Isidore Jean-Baptiste Herménégilde Maxime
Elphège Anselme Alexandre Léonide Georges Pierre Fidèle Joseph-Benoît
Philippe Pacôme Achille Émile Élisée Léonce Silvère Anthelme Irénée Ignace
Cyriaque Hippolyte Hyacinthe Christophe Barthélemy Eulade Aristide Gilles
Adelphe Apollinaire Côme Léger Placide Serge Juste Calliste René Chrysanthe
Évariste Frumence Jude Thaddée Narcisse Sidoine Patrocle Octave Ambroise
Elzéar Eugène Sabas Damase Miltiade Théophile Étienne Stéphane Luc Landry
Augustin Désiré Jérémie Marceau Aimé Pierre-Julien Jean-Eudes Jean-Marie
Wulfran Ludger Eustase Amédée Pascal Michel Gaël Judicaël Charbel Turibio
Soter Fructueux Avit Canut Libert Honorat Vivant Vivence Gerlac Joachim
Guillaume Auguste Louis-Marie Rodolphe Camille Arsène Alphonse Fabrice Fiacre
Maurice Théodore Brice Sylvestre Dominique
""".split())

# Names ending in neither -e nor -a that are a sainte's.
FEMININE = set("""
Agnès Alix Inès Judith Ingrid Fleur Foy Chantal Ninon Salomé Nunillon Kateri
Peggy Gemma Lydwine Bienvenue Darie Olympias Mechtilde Gudule Ida Emma Zita
Edwige Gisèle Denise Honorine Mariette Marie-Euphrasie Marie-Marguerite
Marie-Madeleine Élisabeth Raïssa Ella Béatrice Line Aline Aurore Félicité
Gwladys Audrey Édith
""".split())

# Whole texts chosen by hand: days the list leaves empty, and days whose
# names read better picked than taken in list order.
BY_HAND = {
    "01/01": "Ste Marie, St Télémaque",
    "25/03": "Annonciation, St Humbert",
    "01/05": "St Joseph, St Jérémie",
    "08/05": "St Désiré",
    "13/05": "Ste Rolande",
    "27/05": "St Augustin",
    "31/05": "Visitation, Ste Perrine",
    "10/06": "St Landry",
    "16/07": "N.-D. du Mont-Carmel",
    "06/08": "Transfiguration",
    "08/09": "Nativité de Marie",
    "14/09": "Croix glorieuse",
    "01/11": "Tous les saints",
    "02/11": "Défunts",
    "21/11": "Présentation de Marie",
    "08/12": "Immaculée Conception",
    "28/12": "Sts Innocents",
}

# Second text: public holidays and fixed-date observances.
OBSERVANCES = {
    "01/01": "Jour de l'An",
    "06/01": "Épiphanie",
    "02/02": "Chandeleur",
    "14/02": "Saint-Valentin",
    "08/03": "Journée des femmes",
    "17/03": "Saint-Patrick",
    "20/03": "Printemps",
    "01/04": "Poisson d'avril",
    "01/05": "Fête du Travail",
    "08/05": "Victoire 1945",
    "18/06": "Appel du 18 juin",
    "21/06": "Fête de la musique, Été",
    "14/07": "Fête nationale",
    "15/08": "Assomption",
    "22/09": "Automne",
    "31/10": "Halloween",
    "01/11": "Toussaint",
    "11/11": "Armistice 1918",
    "08/12": "Fête des Lumières",
    "21/12": "Hiver",
    "24/12": "Réveillon de Noël",
    "25/12": "Noël",
    "31/12": "Saint-Sylvestre",
}

PHRASES = [
    re.compile(r"^Aujourd'hui, c'est la St\(e\) (.*?)\.?$"),
    re.compile(r"^N'oubliez pas les (.*?)\s*!$"),
    re.compile(r"^Bonne fête aux (.*?)\s*!$"),
    re.compile(r"^C'est la St (.*?)\s*!?$"),
]


def day_keys():
    """Every dd/mm of a leap year, in calendar order."""
    day = datetime.date(2024, 1, 1)
    while day.year == 2024:
        yield day.strftime("%d/%m")
        day += datetime.timedelta(days=1)


def names_of(text):
    """The first names one source line wishes a happy name day to."""
    for phrase in PHRASES:
        m = phrase.match(text)
        if m:
            text = m.group(1)
            break
    text = re.sub(r"\s*\(.*?\)", "", text)  # drop alternative spellings
    return [n.strip() for n in text.split(" et aux ") if n.strip()]


def read_source(path):
    raw = Path(path).read_bytes()
    try:
        text = raw.decode("utf-8")
    except UnicodeDecodeError:  # the upstream file was ISO-8859-1
        text = raw.decode("iso-8859-1")
    by_day = {}
    for line in text.splitlines():
        m = re.match(r"^(\d\d)/(\d\d)\t+(.*\S)\s*$", line)
        if not m or m.group(3).rstrip(".!") in NOT_A_NAME:
            continue
        key = f"{m.group(2)}/{m.group(1)}"  # the source writes mm/dd
        for name in names_of(m.group(3)):
            name = SPELLING.get(name, name)
            if name and name not in by_day.setdefault(key, []):
                by_day[key].append(name)
    return by_day


def titled(name):
    if name in MASCULINE:
        return "St " + name
    if name in FEMININE or name[-1] in "ea":
        return "Ste " + name
    return "St " + name


def first_text(names):
    """The names, in list order, that fit together in MAX_LEN characters."""
    text = ""
    for name in names:
        candidate = titled(name) if not text else text + ", " + titled(name)
        if len(candidate) <= MAX_LEN:
            text = candidate
    return text


def build(source):
    by_day = read_source(source)
    lines = []
    for key in day_keys():
        first = BY_HAND.get(key) or first_text(by_day.get(key, []))
        if not first:
            raise SystemExit(f"no name for {key}: add it to BY_HAND")
        for text in (first, OBSERVANCES.get(key, "")):
            if len(text) > MAX_LEN or "\t" in text:
                raise SystemExit(f"{key}: text does not fit: {text!r}")
        lines.append(f"{key}\t{first}\t{OBSERVANCES.get(key, '')}\n")
    return "".join(lines)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--source", default=DEFAULT_SOURCE)
    group = parser.add_mutually_exclusive_group()
    group.add_argument("--output")
    group.add_argument("--check", action="store_true")
    args = parser.parse_args()

    text = build(args.source)
    if args.check:
        shipped = Path(__file__).resolve().parent.parent / "data" / "almanac.tsv"
        if shipped.read_text(encoding="utf-8") != text:
            print(f"{shipped} differs from what the list gives", file=sys.stderr)
            return 1
        return 0
    if args.output:
        Path(args.output).write_text(text, encoding="utf-8")
    else:
        sys.stdout.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
