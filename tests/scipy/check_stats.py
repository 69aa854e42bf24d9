#!/usr/bin/python3
"""Checks the library's statistics against SciPy, NumPy and the measures'
formulas written out here independently.

Usage: check_stats.py <stats_values program>

The program answers one line of numbers per query line. Doubles must agree
to 1e-9 relative, values the library holds as singles to 1e-6 relative.

The G statistics (the log-likelihood forms) are checked twice: to 1e-9
relative against the statistic worked out exactly here in 60-digit decimals,
and against SciPy's chi2_contingency, which sums terms of size T ln T in
doubles and so gets an allowance of a few units in the last place of those
terms (for a small G on a large table SciPy keeps fewer digits than the
library).
"""
from decimal import Decimal, getcontext
import math
import subprocess
import sys

import numpy as np
from scipy import stats

MIN_D = 2.2250738585072014e-308
MIN_S = float(np.float32(1.1754944e-38))

queries = []    # query lines
expected = []   # per query: list of (value, rel, abs, label)


def ask(query, values, rel=1e-9, abs_tol=0.0, label=""):
    queries.append(query)
    expected.append([(v, rel, abs_tol, label) for v in values])


def f32(x):
    return float(np.float32(x))


# ---- chi-square tail and log-gamma -------------------------------------------------
for x in [0, 1e-3, 0.1, 0.5, 0.99, 1, 2, 3.84, 6.63, 10, 20, 34.9, 35, 36, 50, 80, 120, -3.84, -0.5]:
    ask(f"chisq {x!r}", [stats.chi2.sf(abs(x), 1)], label=f"ChiSquarePValue({x})")
for x in [0.01, 0.1, 0.5, 0.9, 1, 1.5, 2, 2.7, 3.3, 10, 10.5, 57.25, 170.6, 1000.1]:
    ask(f"lgamma {x!r}", [math.lgamma(x)], abs_tol=1e-15, label=f"Log_Gamma({x})")


# ---- log-likelihood ----------------------------------------------------------------
def g_test(table):
    return stats.chi2_contingency(np.array(table, dtype=float), correction=False,
                                  lambda_="log-likelihood")[0]


def term_allowance(total):
    return 64 * 2.2e-16 * max(total, 1.0) * max(math.log(max(total, 1.0)), 1.0)


getcontext().prec = 60


def g_exact(table):
    """2 sum O ln(O/E) in 60-digit decimals."""
    cells = [[Decimal(repr(float(v))) for v in row] for row in table]
    t = sum(sum(row) for row in cells)
    rows = [sum(row) for row in cells]
    cols = [cells[0][k] + cells[1][k] for k in range(2)]
    g = Decimal(0)
    for i in range(2):
        for j in range(2):
            o = cells[i][j]
            if o > 0:
                g += o * (o * t / (rows[i] * cols[j])).ln()
    return float(2 * g)


def ask_g(query, table, copies, total, label):
    exact = g_exact(table)
    ask(query, [exact] * copies, abs_tol=1e-300, label=label + " exact")
    ask(query, [g_test(table)] * copies, abs_tol=term_allowance(total), label=label + " SciPy")


for table in [[[10, 20], [30, 40]], [[0, 5], [7, 9]], [[1, 0], [0, 1]], [[123, 4567], [890, 123456]],
              [[2.5, 3.5], [1.25, 9]], [[1e6, 2e6], [3e6, 4.5e6]]]:
    t = sum(sum(r) for r in table)
    ask_g("llr " + " ".join(repr(float(v)) for row in table for v in row), table, 1, t,
          f"LogLikelihoodRatio({table})")

grid = []
for f1 in [1, 7, 50, 400, 3000]:
    for f2 in [1, 13, 120, 2500]:
        for a in sorted({0, 1, 3, min(f1, f2)}):
            if a > min(f1, f2):
                continue
            for n in [5000, 100000, 2000000]:
                if n - f1 - f2 + a > 0:
                    grid.append((f1, f2, a, n))

for f1, f2, a, n in grid:
    table = [[a, f1 - a], [f2 - a, n - f1 - f2 + a]]
    ask_g(f"dunning {f1} {f2} {a} {n}", table, 2, n, f"Dunning/Java({f1},{f2},{a},{n})")
    for span in [2, 10]:
        if f1 * span < a or n - f1 - f2 + a <= 0:
            continue
        table = [[a, f2 - a], [f1 * span - a, n - f1 - f2 + a]]
        if any(sum(r) == 0 for r in table) or any(table[0][k] + table[1][k] == 0 for k in range(2)):
            continue
        ask_g(f"everts {f1} {f2} {a} {span} {n}", table, 1, n + f1 * span, f"Everts({f1},{f2},{a},{span},{n})")


def lancaster(a, b, c, d):
    a = float(a) if a > 0 else MIN_D
    b = float(b) if b > 0 else MIN_D
    c = float(c) if c > 0 else MIN_D
    d = float(d) if d > 0 else MIN_D
    e1 = c * (a + b) / (c + d) or MIN_D
    e2 = d * (a + b) / (c + d) or MIN_D
    return 2 * (a * (math.log(a) - math.log(e1)) + b * (math.log(b) - math.log(e2)))


for a in [0, 1, 5, 37, 500, 12000]:
    for b in [0, 3, 80, 9000]:
        for c, d in [(1000, 1000), (250000, 10 ** 7), (10 ** 7, 4000)]:
            ask(f"lancaster {a} {b} {c} {d}", [lancaster(a, b, c, d)], abs_tol=1e-300,
                label=f"Log_Likelihood_Lancaster({a},{b},{c},{d})")


# ---- association -------------------------------------------------------------------
def floored_cells(f1, f2, a, n):
    o11 = a if a >= 1 else MIN_D
    o12 = f1 - a if f1 - a >= 1 else MIN_D
    o21 = f2 - a if f2 - a >= 1 else MIN_D
    o22 = n - o11 - o12 - o21
    if not o22 > 0:
        o22 = MIN_D
    return float(o11), float(o12), float(o21), float(o22)


def mi(f1, f2, a, n):
    if f1 < 1 or f2 < 1 or n < 1:
        return 0.0
    if a >= 1:
        return math.log2((a / n) / ((f1 / n) * (f2 / n)))
    return math.log2(MIN_D) - math.log2(n) - math.log2(f1 / n) - math.log2(f2 / n)


def mi3_family(f1, f2, a, n, power):
    o11, o12, o21, o22 = floored_cells(f1, f2, a, n)
    s = o11 + o12 + o21 + o22
    if a >= 1:
        return math.log2(o11 ** power * s / ((o11 + o12) * (o11 + o21)))
    return power * math.log2(o11) + math.log2(s) - math.log2(o11 + o12) - math.log2(o11 + o21)


def durrant(f1, f2, a, n):
    if f1 < 1 or f2 < 1 or n < 1:
        return 0.0
    return math.log2(a if a >= 1 else MIN_D) - math.log2(f1 * f2 / n)


def t_score(f1, f2, a, n):
    o11 = floored_cells(f1, f2, a, n)[0]
    return (o11 - (f1 * f2) / n) / math.sqrt(o11)


def z_score(f1, f2, a, span, n):
    if n - f1 <= 0:
        return 0.0
    p = f2 / (n - f1) or MIN_D
    e = p * f1 * span
    v = e * (1 - p)
    return (a - e) / math.sqrt(v) if v > 0 else 0.0


def delta_p(a, f1, f2, n):
    first = a / f1 if f1 != 0 else 0.0
    rest = n - f1 - f2 + a
    second = (f2 - a) / rest if rest != 0 else 0.0
    return 100 * (first - second)


def proportion(f, t, floor_zero):
    if t < 1:
        return MIN_S
    p = f32(f / t)
    if p == 0 and floor_zero:
        return MIN_S
    return p


def log_ratio(f0, f1, t0, t1):
    return math.log2(proportion(f0, t0, True) / proportion(f1, t1, True))


for f1, f2, a, n in grid[::3] + [(30, 20, 0, 1000), (1, 1, 0, 2), (5, 5, 5, 10)]:
    span = 10
    ask(f"assoc {f1} {f2} {a} {n} {span}", [
        mi(f1, f2, a, n), mi3_family(f1, f2, a, n, 3), mi3_family(f1, f2, a, n, 1), durrant(f1, f2, a, n),
        t_score(f1, f2, a, n), z_score(f1, f2, a, span, n), 2 * a / (f1 + f2), delta_p(a, f1, f2, n),
        delta_p(a, f2, f1, n), 100 * a / max(1, f1), log_ratio(f1, f2, n, n)],
        abs_tol=1e-12, label=f"association({f1},{f2},{a},{n})")

# ---- keyness -----------------------------------------------------------------------
for f0 in [0, 1, 5, 37, 500, 12000]:
    for f1 in [0, 3, 500, 9000]:
        for t0, t1 in [(1000, 1000), (250000, 10 ** 7), (10 ** 7, 4000), (0, 5000)]:
            total = t0 + t1
            ll = f32(lancaster(f0, f1, t0, t1))
            bic = f32(ll - math.log(total))
            expect = t0 * (f0 + f1) / total
            negative = f0 < expect
            p0 = proportion(f0, t0, False)
            p1 = proportion(f1, t1, True)
            pct = (p0 - p1) / p1 * 100
            lr = log_ratio(f0, f1, t0, t1)
            queries.append(f"keyness {f0} {f1} {t0} {t1}")
            expected.append([(lr, 1e-6, 1e-6, "ProportionLogRatio"), (pct, 1e-6, 1e-6, "PercentDiff"),
                             (-ll if negative else ll, 1e-6, 1e-30, "KWStatsCalculated.LL"),
                             (bic, 1e-6, 1e-6, "KWStatsCalculated.BIC_Score"),
                             (f32(lr), 1e-6, 1e-6, "KWStatsCalculated.LogRatio"),
                             (1.0 if negative else 0.0, 0, 0, "KWStatsCalculated.negative_score")])

# ---- dispersion, entropy, merged groups, periods and peaks -----------------------------
rng = np.random.default_rng(2026)
for n in range(0, 14):
    for kind in range(3):
        if kind == 0:
            values = rng.integers(0, 50, n).astype(float)
        elif kind == 1:
            values = rng.normal(10, 3, n)
        else:
            values = np.full(n, 4.0)
        if n < 3 or values.mean() == 0:
            want = 0.0
        else:
            want = max(0.0, 1 - (np.std(values, ddof=1) / values.mean()) / math.sqrt(n))
        ask("dispersion " + " ".join(repr(float(v)) for v in values), [want], abs_tol=1e-12,
            label=f"DispersionValue(n={n})")

for counts in [[1], [5, 5], [7, 7, 7, 7, 7], [1, 2, 3, 4], [0, 0, 9], [100, 1, 0, 0, 1], [3, 1000000, 17],
               list(range(1, 40))]:
    total = sum(counts)
    h = abs(sum((c / total) * math.log2(c / total) for c in counts if c != 0))
    denominator = float(np.log2(np.float32(len(counts))))
    want = 0.0 if h == 0 or denominator == 0 else h / denominator
    ask("entropy " + " ".join(str(c) for c in counts), [want], rel=1e-6, abs_tol=1e-12,
        label=f"RelativeEntropy({counts})")

for nx, ny in [(5, 7), (1, 9), (12, 1), (30, 40), (2, 2)]:
    x = rng.normal(20, 4, nx)
    y = rng.normal(35, 6, ny)
    both = np.concatenate([x, y])

    def group(v):
        return f32(v.mean()), f32(np.std(v, ddof=1)) if len(v) > 1 else 0.0

    mx, sx = group(x)
    my, sy = group(y)
    ask(f"merged {nx} {mx!r} {sx!r} {ny} {my!r} {sy!r}",
        [nx + ny, both.mean(), np.std(both, ddof=1)], rel=1e-6, label=f"MergedTextStats({nx},{ny})")


def period_scores(records, periods):
    if periods <= 0:
        return []
    sums = [0.0] * periods
    counts = [0] * periods
    step = periods / len(records) if records else 0
    for i, (hits, words) in enumerate(records):
        p = math.trunc(i * step)
        if 0 <= p < periods:
            sums[p] += hits / words if hits and words else 0.0
            counts[p] += 1
    return [f32(s / c) if c else 0.0 for s, c in zip(sums, counts)]


for periods, records in [(3, [(1, 4), (2, 8), (0, 5), (7, 10), (3, 3), (1, 0)]),
                         (5, [(1, 2), (3, 4)]),
                         (10, [(k, 30) for k in range(30)]),
                         (4, [(5, 7)] * 9)]:
    query = f"periods {periods} " + " ".join(f"{h} {w}" for h, w in records)
    ask(query, period_scores(records, periods), rel=1e-6, label=f"PeriodHitWordCountScores({periods})")


def peak(values, starts):
    out = []
    for k in range(4):
        best, member = -1.0, 0.0
        for i in range(min(starts, len(values))):
            window = values[i:i + k + 1]
            mean = f32(sum(float(v) for v in window) / len(window))
            if mean > best:
                best, member = mean, float(i + 1)
        out += [member, best]
    return out


for starts, values in [(3, [1, 5, 5, 0, 9]), (9, [1, 5, 5, 0, 9]), (6, [0.5, 0.25, 0.75, 0.75, 0.1, 0.9, 0.3]),
                       (2, [2.0])]:
    values = [f32(v) for v in values]
    ask(f"peak {starts} " + " ".join(repr(v) for v in values), peak(values, starts), rel=1e-6,
        label=f"MainPeakBreakdown({starts})")

# ---- run the program and compare -------------------------------------------------------
run = subprocess.run([sys.argv[1]], input="\n".join(queries) + "\n", capture_output=True, text=True, check=True)
answers = run.stdout.splitlines()
if len(answers) != len(queries):
    sys.exit(f"{len(queries)} queries, {len(answers)} answers")
failures = 0
checked = 0
for query, answer, wants in zip(queries, answers, expected):
    got = [float(v) for v in answer.split()]
    if len(got) != len(wants):
        print(f"FAIL {query}: {len(got)} values, {len(wants)} expected")
        failures += 1
        continue
    for value, (want, rel, abs_tol, label) in zip(got, wants):
        checked += 1
        if not (math.isfinite(value) and abs(value - want) <= rel * max(abs(value), abs(want)) + abs_tol):
            print(f"FAIL {label}: library {value!r}, expected {want!r} ({query})")
            failures += 1
print(f"{checked} values checked, {failures} failures")
sys.exit(1 if failures else 0)
