// Why the simplification guard's bounds hold (split_guard.h): the proof that a bound on the
// distance to a chord over the points of a node of its tree, from the node's box and its convex
// hull, is never below a point's computed distance; and what the bounds share, the arithmetic on
// spans of computed values and the constants that the proof fixes. node_bound.h, hull_bound.h,
// box_cuts.h and strip_bound.h compute the bounds, node_hulls.h scans the hulls.
//
// WHY THE BOUNDS HOLD
//
// fl(x) is x rounded to the nearest double, ties to even, overflowing to an infinity: what the
// processor does for each +, -, * and / (no fused multiply-add). For a point p and the chord
// from s to e, point_segment_distance computes, with u = fl(s.x - p.x) and v = fl(s.y - p.y):
//   degenerate chord (s == e):  d = hypot(u, v);
//   otherwise, with dx, dy, len2 and H = hypot(dx, dy) fixed by the chord,
//     r = fl(fl(fl(-u * dx) + fl(-v * dy)) / len2)   (fl(p.x - s.x) is exactly -fl(s.x - p.x)),
//     r <= 0:  d = hypot(u, v);   r >= 1:  d = hypot(fl(e.x - p.x), fl(e.y - p.y));
//     else, NaN included:  q = fl(fl(fl(v * dx) - fl(u * dy)) / len2),  d = fl(|q| * H).
//
// 1. Rounding keeps order: x <= y implies fl(x) <= fl(y), infinities included. So wherever an
//    exact operation is monotone in an operand and gives no NaN, the rounded one is monotone
//    in the same direction: a + b and a - b in each operand; a * c, for a fixed c, increasing
//    in a when c >= 0 and decreasing when c <= 0; a / c increasing in a for a fixed c >= 0
//    (len2 is a sum of squares, never negative; at c = +0 the quotient is -inf, NaN or +inf,
//    and at c = +inf it is -0, NaN or +0).
//
// 2. Spans. For the points of a box [x0, x1] x [y0, y1], u = fl(s.x - p.x) falls as p.x grows,
//    so every u lies in [fl(s.x - x1), fl(s.x - x0)]; likewise v and the differences from e.
//    Every later value is made from these by the operations of 1 with the chord's constants.
//    Span carries [lo, hi] through each of them, computing each end with the same rounded
//    operation on the operands' extreme values; by 1 the result holds the computed value of
//    every point of the box whose value is not NaN. It is exact, not padded: its ends are the
//    very roundings the points' own computations make, applied to more extreme operands.
//    Where NaN can occur (inf - inf, 0 * inf, 0 / 0, inf / inf) the span says so, and where an
//    end itself comes out NaN the span widens to [-inf, +inf].
//
// 3. Branches. A point takes the start branch only if its r <= 0, which needs the span of r to
//    reach 0 (lo <= 0); the end branch only if r >= 1 (hi >= 1); the line branch only if some r
//    lies strictly between 0 and 1 (lo < 1 and hi > 0) or r can be NaN. The bound of a box is
//    the largest of the bounds of its possible branches, each of which covers the whole box.
//
// 4. Line branch. d = fl(|q| * H) does not decrease as |q| grows (H >= 0 is fixed), and every
//    q of the box that is not NaN has |q| <= max(|q.lo|, |q.hi|). So fl(that * H) bounds d
//    exactly, ties included; if it is NaN (0 * inf) the bound is +inf.
//
// 5. Start and end branches. Assume of hypot only that it is faithful: hypot(a, b) is the exact
//    E(a, b) = sqrt(a * a + b * b) or one of the two doubles next to it (+inf beyond the
//    largest double), and hypot(+-inf, b) = +inf. If |a| <= U and |b| <= V, then
//    E(a, b) <= E(U, V) = E*, and with RU, RD rounding up and down and next() the next double
//    above (next(+inf) = +inf):
//        hypot(a, b) <= RU(E(a, b)) <= RU(E*) <= next(RD(E*)) <= next(hypot(U, V)).
//    That bound is tight, one unit in the last place above the corner's own value. A cheaper
//    one avoids the call when 2^-450 <= max(U, V) <= 2^500. With e = 2^-53, each of fl(U * U)
//    and fl(V * V) is within e relative or 2^-1075 absolute of the exact square; the absolute
//    part is below 2^-174 e relative to the larger square (at least 2^-900), and their sum is
//    normal, so S = fl(fl(U * U) + fl(V * V)) >= (U * U + V * V)(1 - 3e). Then, with
//    w = fl(sqrt(S)) >= sqrt(S)(1 - e): E* <= w(1 + 3e), RU(E*) <= E*(1 + 2e) <= w(1 + 6e), and
//    fl(w * (1 + 2^-49)) >= w(1 + 16e)(1 - e) > w(1 + 6e). Above 2^500 the same is computed
//    on U and V times 2^-600, and w times 2^600: both scalings of the larger and of w are exact
//    (or w overflows to +inf, which bounds anything), and the smaller, if it underflows, loses
//    at most 2^-1075, which lowers E* by less than 2^-975 of itself (the larger, scaled, is at
//    least 2^-100), far within the room left above. Below 2^-450, down to 2^-1020, it is
//    computed on U and V times 2^600, and w times 2^-600: scaling up is exact, subnormals
//    included, and w, at least the larger scaled (at least 2^-420) times 1 - 2e, stays normal
//    scaled back, so exact. The cheap bound is used first and the tight one only when the
//    cheap one's slack alone keeps a box from being dropped.
//
// 6. The hull and the line branch. Let L(p) = (s.y - p.y) dx - (s.x - p.x) dy and
//    T(p) = (p.x - s.x) dx + (p.y - s.y) dy, exact, with the chord's dx and dy. Both are linear
//    in p, so over the points of a node, which all lie in its exact convex hull (node_hulls.h,
//    built with exact signs), each is largest at the hull vertex extreme along its gradient,
//    (dy, -dx) for L and (dx, dy) for T, and smallest at the vertex extreme the other way;
//    NodeHulls::extreme() finds those vertices with exact signs. (A small hull is scanned
//    instead: the largest computed value over all vertices is at least that of the extreme
//    one, and the inequalities below hold for it the same way.) The computed numerators, N(p)
//    of q and R(p) of r, differ from L(p) and T(p) by at most 3.01e (|s.y - p.y| |dx| +
//    |s.x - p.x| |dy|) + 2^-1074: two differences, two products and a sum, each within e
//    relative, a product that underflows within 2^-1075. With U and V the largest |u| and |v|
//    of the box, those terms are at most (U + V)(|dx| + |dy|)/(1 - e), which `scale`, that
//    product as computed, underestimates by at most 3e. So for every point p of the node
//        N(p) <= L(p) + err <= L(v) + err <= N(v) + 2 err,   v the vertex extreme along L,
//    and 2 err plus the rounding of N(v) + slack stay below slack = 16e scale + 2^-1072: 2 err
//    is at most 6.1e scale + 2^-1073 (where `scale` underflows, it is within 2^-1075 of the
//    product), the rounding is exact where N(v) + slack is subnormal and within e (scale +
//    slack) where it is not, and slack as computed loses at most 2^-1075 to underflow, which
//    leaves more than 2^-1073 of it beyond 2 err; the other end alike. With scale below 2^1023,
//    each product is below 2^1023 (1 + 5e) and each numerator, widened by its slack, below
//    2^1023 (1 + 30e) < 2^1024: no point's products or sums overflow, nor the span's ends.
//    The span [N(v') - slack, N(v) + slack] thus holds every point's N, 4 turns it into a bound
//    on the line branch, and the span of R, made the same way, narrows the branches by 3.
//    Beyond that range, where the box shows that no product of a point's own numerators can
//    overflow (its largest |u| or |v| times the larger of |dx| and |dy|, as computed, is finite;
//    by 1 no point's product exceeds it), the spans are made for the chord divided by 8,
//    exactly, if that brings `scale` below 2^1023, and their ends are multiplied by 8 again,
//    exactly or to an infinity. With ' marking the divided chord's quantities, L = 8 L', and
//    err <= 8 err' (8 times the terms, the same 2^-1074). So N(p) <= L(p) + err <= 8 (L'(v) +
//    err') <= 8 (N'(v) + 2 err'), and the span's end, 8 fl(N'(v) + slack'), exceeds every N(p)
//    by 8 times the room left above (at least 8e scale'), where N(p)'s difference does not
//    overflow. Where it overflows to +inf, the exact difference of its products, within err of
//    L(p), reached 2^1024 (1 - 2^-54), and scale' is above 2^1020: the end exceeds that by
//    at least 2^973, more than the 2^970 left to 2^1024, and overflows to +inf as well; the
//    other end alike. So the spans hold every point's computed N and R, infinities included,
//    and the exact L and T, which is all that 3, 4, 7 and 11 take from them, with 8 slack' as
//    the slack there, at least the error of a point's own numerator. An R at -inf belongs to a
//    T below 0, and one at +inf to a T above len2 - err: the half-planes of 7 still hold them.
//    Where `scale` is below 2^-1026, as for a chord whose len2 is subnormal over the nodes
//    near it, a step of 2^-1074 (a unit, u) is most of that slack, and the bound needs fewer.
//    Every term of either numerator is below 2^-1025 there, so each product that makes N or R
//    is subnormal, within u/2 of its exact value, and the sum of two is subnormal and exact:
//    each N and R is a multiple of u below 2^-1024, and err is below u + u/16, as e times the
//    terms is below u/16. So N(p) <= N(v) + 2 err < N(v) + 3u, and as both are multiples of
//    u, N(p) <= N(v) + 2u, a sum of subnormals, exact; the exact L(p) <= N(v) + err lies below
//    it too. R's span is widened by 2u alone (kSubnormalSpanSlack). N's comes from the exact
//    values at the vertices instead, and reaches about one unit beyond them: with X(p) the
//    exact sum of the products of the rounded differences, |X(p) - L(p)| < u/16, so N(p) <=
//    X(p) + u <= L(p) + 17u/16 <= L(v) + 17u/16 <= X(v) + 9u/8, and as N(p) is a multiple of
//    u, N(p) <= floor(X(v)/u + 9/8) u; likewise N(p) >= ceil(X(v')/u - 9/8) u. X(v), times
//    2^1074, is the sum of the two products of the differences and the chord's steps, each
//    scaled by 2^537 exactly; rounded, each product is below 2^49 and their sum below 2^50, so
//    the rounded sum lies within 1/8 of the exact one. It is split into a whole number and a
//    fraction, both exact, and the floor of the fraction, the error and 5/4 (1/8 above 9/8
//    covers the roundings of that small sum) is 0 or 1, decided by the fraction alone unless
//    it lies within 1/8 of where it changes; there the exact error decides, the products'
//    remainders from fma() and the sum's from Knuth's two-sum. A small hull's vertex whose
//    computed N is two units below the largest, whose X then lies no higher than that
//    vertex's, is passed over; the largest of the other vertices' floors is at least that of
//    the extreme vertex. The span's ends, integers below 2^51 times u, are exact, and hold
//    every point's N and the exact L, which lies within X(v) + u/16. 7 and 11 take for the
//    branches a slack that must exceed a point's own err by u and relative terms: 3u
//    (kSubnormalEndSlack) exceeds err by more than u + u/4. On a spiral and a line visited in
//    turn near 1e-154, spans four units wide made the search measure nearly eight times the
//    points that it measures with these.
//
// 7. The cut hull and the start and end branches. A point takes the start branch only if
//    fl(R / len2) <= 0, so R <= len2 2^-1075, so T(p) <= tau_s = slack + len2 2^-1074; it takes
//    the end branch only if fl(R / len2) >= 1, so R >= len2 (1 - 2^-54), so, as (e - s).(dx, dy)
//    is within 4e len2 of len2 (dx, dy and len2 are rounded), (p - e).(dx, dy) >= -tau_e with
//    tau_e = slack + len2 2^-50. The points of a branch thus lie in a half-plane
//    {f.(p - c) >= -tau}: c = s, f = -(dx, dy) for the start; c = e, f = (dx, dy) for the end.
//    Their largest distance from c is at most that of the farthest corner of the hull cut by
//    the half-plane's line, a corner being a hull vertex on that side or a point where the line
//    crosses an edge. NodeHulls::farthest_squared_on_side() takes every vertex whose computed
//    f.(v - c), plus 8e times the size of its terms and 2^-1000 (its rounding, with room),
//    reaches -tau: every vertex on the exact side, and perhaps some beyond, which can only raise
//    the bound. Where one end of an edge is taken and the other is not, the edge may cross the
//    line at a point x with |x - c|^2 = (tau^2 + C(x)^2)/|f|^2, C(p) = f x (p - c) being linear
//    along the edge, so |C(x)| is at most the larger of its ends' |C|, each widened by its
//    rounding; where both ends are taken, the distance along the edge is at most the larger of
//    theirs. The largest of these squares, as computed, is within about 10e of its exact value
//    and its root w within 6e; the hypot of a point of the branch exceeds its exact distance by
//    at most a factor 1 + 3e (rounded differences, faithful hypot); so fl(w (1 + 2^-46)), with
//    128e of room, bounds it.
//    A block of consecutive vertices whose box lies near enough to c (its farthest corner too
//    near c to keep the bound above the limit, or no farther than the bound found so far) need
//    not be visited one by one, its corner counting for it instead: each of those vertices, and
//    each crossing of an edge between two of them, lies in the box, so the box's farthest
//    corner is at least as far from c, exactly; as computed, with U and V the larger
//    |fl(x - c.x)| and |fl(y - c.y)| over the box's sides, fl(fl(U U) + fl(V V)) is at least
//    each vertex's computed square, by 1, and within the same few e of its exact value, so the
//    same factor covers the crossings. Nor need a block whose box lies wholly beyond the line:
//    f.(p - c) is greatest over the box at one corner, and where the side test above does not
//    take that corner (its terms within the range below), no point of the box reaches -tau
//    exactly, so no vertex of the block lies on the side and no edge between two of them
//    crosses the line. Nor, lastly, need a block whose largest computed square over its
//    vertices is kept (per node, for a centre that the scans keep coming back to; the very
//    values that visits of the vertices take) and near enough likewise: that largest counts for
//    the block, as each crossing of an edge between two of its vertices lies no farther from c
//    than the edge's farther end, exactly, the distance being convex along the edge, and that
//    end's computed square is within the same few e of its exact value, so the same factor
//    covers the crossing. The block's first and last vertices are visited as usual, so that the
//    edges to its neighbours count; the step from one to the other adds a crossing that no edge
//    has, which can only raise the bound. Blocks of 16, 32, 64, ... vertices, each starting at
//    a multiple of its size in the array of all chains, are tried largest first, so that the
//    scan costs a few steps per doubling of the hull besides the vertices near its farthest
//    corner and near the line, once the bound found so far is near the farthest: so the scan
//    first measures a vertex that the node's last scan found far (the last that raised its
//    bound), taking for it what a visit takes, and a value taken twice leaves the bound as it
//    is. It is made only for w between 2^-400 and 2^199, where no square or sum over- or
//    underflows past these margins.
//    For a degenerate chord every vertex counts and no line cuts the hull; likewise where len2
//    is +inf, as tau_s is then infinite (10: every point of the node that can win takes the
//    start branch). Such an uncut bound stands for the distance of the hull's farthest vertex,
//    a point of the node, but for its slack: where it lies beyond the limit by more than
//    kTiedWithin, the exact farthest distance of 9 would not drop the node either, and is not
//    worked out (a bound that is merely not narrowed stays a bound). The scan runs on
//    the differences fl(p - c) times 2^-k, with f times 2^-j and tau times 2^-(k + j), 2^k and
//    2^j being the powers of two of the largest difference over the node's box and of
//    |f.x| + |f.y|: each of its quantities is then the scaled one, and the analysis above holds
//    in the scaled range. f and tau are scaled only where that is exact (else there is no
//    bound), so they describe the same half-plane; a difference scaled down may underflow, by
//    at most 2^-1075, which the side test's 2^-1000 and the final factor's room absorb. The
//    bound scaled back by 2^k, exact but among the subnormals, plus 2^-1060, which also covers
//    the absolute error of 2^-1074 of a distance computed there, bounds the branch.
//
// 8. Ordinary queries. When every coordinate is at most 2^400 in magnitude and len2 is at least
//    2^-1022 (or the chord is degenerate), every difference is finite and at most 2^401, every
//    product at most 2^802 and every sum finite; a quotient by len2 may overflow to an infinity
//    but is never NaN, and H is finite and positive. No NaN occurs in any span, so the checks of
//    2 are skipped for such queries. The tree holds finite coordinates only (build() refuses
//    others); outside the ordinary range the chord's constants may still overflow (dx = +-inf
//    beyond half the double range, len2 = +inf beyond about 1e154, len2 = +0 for chords
//    shorter than about 1e-162), which the checked spans cover as they are.
//
// 9. Exact farthest distances. FarthestCache keeps, per node and centre c, the largest
//    hypotenuse(fl(c.x - p.x), fl(c.y - p.y)) over all the node's points: the very value the
//    start branch (c = s), the end branch (c = e) or a degenerate chord (c = s) computes for each
//    of them, so its largest is a bound with no slack on any branch measured from c. It is
//    worked out, within a budget per run and one per ring, for a node that one end's branch
//    alone keeps (from the start, whose value serves one run only, for small nodes alone).
//
// 10. Chords beyond the overflow of len2. For a chord longer than about 1e154, len2 = +inf. Then
//    r = fl(R / +inf) is -0 or +0 where R is finite and NaN where it is not: no point takes the
//    end branch; the line branch gives q = fl(N / +inf), +-0 or NaN, and d = fl(0 * H) = 0 or
//    NaN, which never wins; the start branch needs a finite R = fl(fl(-u dx) + fl(-v dy)). The
//    spans of 2 carry each product exactly, but their sum widens to [-inf, +inf] wherever one
//    product is +inf and the other -inf, which loses what matters here: a box whose products
//    can only overflow has no point on the start branch. So for such a chord the box takes the
//    start branch only where both products can be finite (their spans reach the finite
//    doubles) and their sum can too (by 1, the sum of the smallest finite values bounds every
//    sum of finite values from below, and that of the largest from above), and no other
//    branch. Without this, the NaN that the span of r allows would open the end branch too, and
//    every node of a run whose chord ends near the largest double would be bounded by its
//    distance to that end: on a line of short steps toward such an end, where each split peels
//    off the few points whose R stays finite, the guard would open the whole run every time.
//    The points that can win then lie in a box around s, of half-widths 2^1024 / |dx| and
//    2^1024 / |dy| (a finite product has |u dx| < 2^1024), which where the ring comes back
//    near s from all over, every node of the tree over the ring's order surrounds: such a
//    chord is searched over a tree of the points in space instead (split_guard.cpp), with
//    these bounds of its boxes. Over the tree of the ring's order, a node's hull bounds the
//    start branch by its vertex farthest from s (7, uncut), whatever the chord; the spans of 6
//    and the cuts of 12 tell nothing more here, as r is +-0 wherever it is not NaN.
//
// 11. The start and end branches from the spans of the hull. Before the farthest corner of 7 is
//    looked for, the spans bound those branches too, as the box's corner may lie far beyond
//    every point of the branch: where two curves are visited in turn, every node holds points
//    on both sides of a chord's end, and its box reaches as far from that end as the run is
//    long. A bound that holds for any hull comes from the two spans of 6. For reals, with
//    a = p - c and the chord's d = (dx, dy), |a|^2 D = (a.d)^2 + (a x d)^2, where
//    D = dx^2 + dy^2 and a x d = a.x dy - a.y dx, so |p - c| = sqrt(((a.d)^2 + (a x d)^2) / D).
//    The spans [lo, hi] of R and of N of 6, with their slack, hold the exact T(p) and
//    L(p) = (p - s) x d of every point of the node, not only their computed values:
//    L(p) <= L(v) <= N(v) + err for the extreme vertex v.
//    - Start branch (c = s): a.d = T(p) lies in [lo_R, tau_s] (7 above), so |a.d| <= A =
//      max(tau_s, -lo_R), and |a x d| = |L(p)| <= C = the larger magnitude of N's span.
//    - End branch (c = e): a.d = T(p) - (e - s).d and a x d = L(p) - (e - s) x d. With dx =
//      (e.x - s.x)(1 + d1) and dy likewise, |d1|, |d2| <= eps (a difference that underflows is
//      exact), (e - s).d = dx^2/(1 + d1) + dy^2/(1 + d2) >= D/(1 + eps) and |(e - s) x d| =
//      |dx dy| |1/(1 + d1) - 1/(1 + d2)| <= 1.01 eps D. With len2 normal (at least 2^-1022),
//      the squares' underflow (2^-1075 each) is at most eps len2, so D lies within 4 eps len2 of
//      len2; with len2 subnormal, both squares are subnormal and their sum exact, so D lies
//      within 2^-1074 of len2 (and tau_e still bounds a.d from below: slack exceeds err by
//      more than 2^-1074 + 2^-1076, 6 above). So a.d lies in
//      [-tau_e, hi_R - len2 + 5 eps len2 + 2^-1073]: A = max(tau_e, fl(fl(hi_R - len2) + m))
//      with m = fl(fl(len2 2^-48) + 2^-1072), at least 31 eps len2 + 2^-1072 even where the
//      product underflows, or max(tau_e, m) where hi_R <= len2 (fl keeps the sign of a
//      difference); and C = fl(|N|max + fl(len2 2^-50) + 2^-1072), whose margin covers
//      1.01 eps D.
//    A sum or difference that underflows is exact, and otherwise errs by at most eps relative;
//    the terms here are non-negative or keep what the margins add, so A and C are each at least
//    (1 - 2 eps) times the exact bounds they stand for. Both are then scaled by the power of
//    two that brings the larger into [1, 2) (exact, but for a smaller one falling below
//    2^-1022, which is negligible beside the larger's square), and w = sqrt(A'^2 + C'^2) /
//    sqrt(D'), all rounded, scaled back, is at least |p - c| (1 - 10 eps) less 2^-1075 (the
//    last scaling may underflow). D' is len2 where it is normal, and len2 - 2^-1074 <= D,
//    exact, where it is subnormal; below 2^-1073 the bound is not used. A point's computed
//    distance is at most |p - c| (1 + 3 eps) plus 2^-1074 (a faithful hypot of differences that
//    may underflow); fl(fl(w (1 + 2^-46)) + 2^-1060) bounds it, with more than 100 eps and
//    2^-1062 to spare. Margins aside, the bound is at most sqrt(2) times the largest distance
//    of the node's points: a point's distance is at least both |a.d| / sqrt(D) (on its branch,
//    for the point where the span of R ends beyond c) and |L(p)| / sqrt(D). Where len2 is
//    subnormal, the numerators are multiples of 2^-1074, and a distance on the line branch
//    moves in steps of 2^-1074 / len2 times the chord's length: for a chord whose len2 is a few
//    hundred times 2^-1074, many points tie within the step of slack that the bound needs,
//    and the search must measure them.
//
// 12. Boxes cut to a branch. Where the spans of 6 do not serve, a node's box bounds its branches,
//    and the box's corner may lie far beyond every point of a branch: on a zigzag along one line
//    with amplitudes near 1e154, every box spans both sides of a chord's end, and only the points
//    on one side take the end branch. Computed as point_segment_distance computes it, r(x, y) =
//    fl(fl(fl(fl(x - s.x) dx) + fl(fl(y - s.y) dy)) / len2) is, by 1, non-decreasing in x where
//    dx > 0 and non-increasing where dx < 0, likewise in y, wherever it is not NaN (fl(a + b) is
//    non-decreasing in each operand where it is not NaN, infinities included), and a point whose r
//    is NaN takes the line branch. Let y* be the value of y in the box that makes r largest. If
//    r(x, y*) is not NaN and below 1, then every point (x', y') of the box with x' on the side of x
//    where r falls has r(x', y') <= r(x, y*) < 1, or NaN: none takes the end branch. Bisection
//    between the box's two values of x finds such an x, and the box cut there still holds every
//    point that may take the end branch; the other axis is cut alike within it, and 5 bounds the
//    distance from e over the cut box. If r at the box's corner most favourable to the branch is
//    not NaN and below 1, no point of the box takes it. The start branch alike, with r > 0
//    excluding it.
//    Where the box shows besides that no product of R can overflow (U |dx| and V |dy| as
//    computed are finite; by 1 no point's product exceeds them), a point's R is finite and
//    within err = 3.01e (|u dx| + |v dy|) + 2^-1074 of T(p) (6), or an infinity of the sum,
//    which 6 places in the half-plane of 7 of its branch all the same. slack = fl(fl(U |dx|)
//    2^-49) + fl(fl(V |dy|) 2^-49) + 2^-1072 exceeds err (each exact product is at most the
//    box's as computed times 1 + e, or that plus 2^-1075 where it underflows), so it serves as
//    the slack of 7, and the farthest corners of the hull cut at each end's side bound the
//    start and end branches as they do where the spans serve.
//
// 13. The line branch cut to its strip. Beyond the hull's range, where two curves are visited in
//    turn, a node holds points far beyond a chord's ends, whose |L| comes near or past the
//    largest double, while those that may take the line branch lie nearer: the span of N over
//    the whole hull (6), or over the box, keeps the node. Where the box shows that one product
//    of R at least cannot overflow for any of its points (U |dx| or V |dy| as computed is
//    finite; by 1 no point's product exceeds them), no R is NaN: the other product is finite or
//    an infinity, and so is their sum. With len2 normal and finite no r is NaN either, so a
//    point takes the line branch only if 0 < r < 1, which needs R finite, R > 0 and R < len2:
//    T(p) lies between -err and len2 + err, err at most 3.01e (|u dx| + |v dy|) + 2^-1074 (6).
//    Let 2^k <= max(U, V) < 2^(k+1), 2^j <= |dx| + |dy| < 2^(j+1), f = (dx, dy) 2^-j (exact,
//    else there is no bound), and ' mark a value times 2^-(j+k). Every |u dx| + |v dy| is below
//    2^(j+k+2), and j + k >= 1020 here (the box's terms reach 2^1023), so err' < 2^-49.3, and
//    every point of the line branch lies in the strip low <= T' <= high, with low = -2^-46 and
//    high = fl(fl(len2 2^-(j+k)) (1 + 2^-50)) + 2^-46, which exceeds len2 2^-(j+k) + 2^-47 (the
//    scaled len2 may underflow, by 2^-1075).
//    NodeHulls::largest_across_in_strip() bounds |L'| over the hull cut to that strip, on the
//    differences fl(p - s) times 2^-k, below 2, and f, |f.x| + |f.y| below 2: every T' and L'
//    it computes at a point is below 4 and within 3.01e of its terms, plus 2^-1074, of the exact
//    value, and the error it adds, 8e times the terms and 2^-1000 as in 7, covers that and the
//    rounding of the sum. |L'| is convex, so over the cut hull it is largest at a corner: a
//    vertex within the strip, which counts where its computed T', widened by its error, meets
//    [low, high]; or a point x where an edge from a to b crosses a line T' = t, looked for
//    wherever the widened T' of a and b reach t from both sides. L' is linear along the edge,
//    so |L'(x)| is at most the larger of the ends' |L'|. Where T'(a) > T'(b) beyond their
//    errors, x = a + w (b - a) with w = alpha / (alpha + beta), alpha = T'(a) - t and
//    beta = t - T'(b), both non-negative at a crossing: L'(x) is V(w) = c_a + w (c_b - c_a),
//    with c_a and c_b the computed L' of the ends, to within the larger of their errors. w
//    grows with alpha and falls with beta, so it lies between w- = alpha- / (alpha- + beta+)
//    and w+ = alpha+ / (alpha+ + beta-) for any bounds alpha- <= alpha <= alpha+ and beta- <=
//    beta <= beta+, and |V| is largest at one of those two, V being linear. The four bounds
//    come from the computed T' and their errors, widened by 2^-44; every value formed here is
//    below 16, so that each rounding errs by at most 2^-49, the quotients by 2e of w (which
//    moves V by at most 16e), and the few roundings together stay well within the 2^-44 added
//    to the value (and alpha+ and beta+ are positive). The largest value found, times
//    1 + 2^-49, then bounds |L'| over the cut hull.
//    A block of vertices (7) is passed over where its box lies wholly beyond a line of the
//    strip (T' over the box is largest at a corner, so no vertex of the block lies in the strip
//    and no edge between two of them crosses a line), or where the largest value at its
//    corners, which bounds |L'| over the box, counts for its vertices and its edges' crossings.
//    All this holds as well for the hulls of any parts into which the node's points are split,
//    the largest of their bounds bounding |L'| over every point of the line branch. Where a
//    ring visits far-apart curves in turn, the node's hull spans the gaps between them, and the
//    corner where an edge across a gap crosses a line of the strip may lie where no point does,
//    past the overflow (below); the hulls of the parts of the ring's points, by place or by
//    position (spatial_parts.h), follow each curve alone. 2^-k, from the node's box, scales
//    every part.
//    So every point p of the line branch has |L(p)| <= 2^(j+k) M', M' the bound found, and
//    |T'(p)| <= A = min(high, 5), as |T'| < 2 (|f.x| + |f.y|)(1 + e) over the node. With a = p - s
//    and D = dx^2 + dy^2, a.x = (T dx + L dy) / D and a.y = (T dy - L dx) / D, so |a.y dx| and
//    |a.x dy| are each at most |T| / 2 + |L|, and their sum at most |T| + |L|. Where fl(A + M')
//    is at most 2^(1024 - j - k) (1 - 2^-40), each product of N, within (1 + e)^2 of that,
//    stays below the doubles' overflow, and so does their difference, within 3.01e (|L| + |T|)
//    of L: |N(p)| <= |L(p)| + 3.01e (|L(p)| + |T(p)|) + 2^-1074, which fl(fl(M' (1 + 2^-48)) +
//    2^-45) 2^(j+k) exceeds (or is +inf), and 4 turns that into a bound on the line branch.
#pragma once

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>

#include "hypotenuse.h"
#include "node_hulls.h"
#include "segment_distance.h"

namespace quorvel {

namespace guard_bounds {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// Queries with coordinates and a chord within these are ordinary (8 above): no NaN can occur.
constexpr double kLargestOrdinaryCoordinate = 0x1p400;
constexpr double kSmallestOrdinaryLen2 = 0x1p-1022;

// The hull bound (6 above): the terms of the numerators stay below kLargestHullScale, and the
// span of a numerator is widened by kHullSlack times their size plus kHullTinySlack.
constexpr double kLargestHullScale = 0x1p1023;
constexpr double kHullSlack = 0x1p-49;
constexpr double kHullTinySlack = 0x1p-1072;
// Where their size is below kSubnormalHullScale, the span of r's numerator is widened by
// kSubnormalSpanSlack alone, q's reaches kSubnormalStepsBeyond steps of 2^-1074 beyond the exact
// values at the extreme vertices, rounded to whole steps, and the branches take
// kSubnormalEndSlack as their slack.
constexpr double kSubnormalHullScale = 0x1p-1026;
constexpr double kSubnormalSpanSlack = 0x1p-1073;
constexpr double kSubnormalStepsBeyond = 1.25;
constexpr double kSubnormalEndSlack = 0x1.8p-1073;
// Beyond that range, where no product of a point's own numerators can overflow, the spans are
// made with the chord divided by kChordDivisor, a power of two that brings their terms back
// within it.
constexpr double kChordDivisor = 8.0;

// The strip of 13, in the scaled units of its values: how far its lines lie beyond the chord's
// ends, and the bound on |T'| over a node. Where |T'| plus the bound on |L'| over the strip,
// scaled back, is at most kLargestStripSum, no numerator of the line branch overflows, and the
// bound on |L'| widened by kStripSlack and kStripTinySlack, scaled back, bounds every |N| there.
constexpr double kStripMargin = 0x1p-46;
constexpr double kStripWidening = 1.0 + 0x1p-50;
constexpr double kStripAlong = 5.0;
constexpr double kLargestStripSum = 0x1p1023 * (2.0 - 0x1p-39);
constexpr double kStripSlack = 1.0 + 0x1p-48;
constexpr double kStripTinySlack = 0x1p-45;

// What the bounds of 11 add for rounding beside len2, and the end of the subnormals below which
// they do not serve (len2 must exceed the error of its sum, 2^-1074).
constexpr double kEndTinyMargin = 0x1p-1072;
constexpr double kProjectedTinySlack = 0x1p-1060;
constexpr double kSmallestProjectedLen2 = 0x1p-1073;

// Range and factor of the bound from the farthest corner of a cut hull (7 above).
constexpr double kFarthestSmallest = 0x1p-400;
constexpr double kFarthestLargest = 0x1p199;
constexpr double kFarthestSlack = 1.0 + 0x1p-46;

// The cost of narrowing a bound by a hull, in the units of SplitGuard::split_within (a point
// of the screened scan costs one): per step of the two searches along a direction, and per
// vertex of a scan of the cut hull.
constexpr std::size_t kSearchWork = 4;
// Hulls of up to this many vertices are scanned rather than searched (6 above).
constexpr std::size_t kScannedHull = 32;
constexpr std::size_t kScanWork = 3;

// A bound this close above the limit may be above it by its slack alone: the hull is worth
// consulting again. Measuring a distance for the cache costs kCacheWork (9 above).
constexpr double kTiedWithin = 1.0 + 0x1p-40;
constexpr std::size_t kCacheWork = 8;
// The exact farthest distance from a chord's start is worked out only for nodes of at most this
// many points. The start moves from run to run, so the value serves one run and costs a scan of
// the node each time, where a larger node's children, bounded by their hulls, usually do
// without: on a ring that visits a line and a parabola in turn and is closed far away, early
// runs cost six times what scanning them does, and the guard's allowance then sent every other
// run to the scan (0.39 s at 80,000 points, 0.26 s without). Up to this size the values still
// settle the exact ties of rings that come back to the same points (256 made those 10% slower).
constexpr std::size_t kExactFromStartPoints = 1024;

// Cutting a box to a branch (12 above): steps of bisection per axis, and the work of a cut.
// A cut divides once per step on each axis: about 0.3 us, some 200 points of the screened scan
// (measured over 438,540 cuts on two curves near 1e154); it counts for twice that, as the
// checked bounds around it at such scales also take longer than their units say, and the
// guard's allowance must not outrun what the plain scan there costs.
constexpr int kCutSteps = 24;
constexpr std::size_t kCutWork = 16 * kCutSteps;

// Range of the cheap bound on hypot (5 above) without scaling, the least value it takes scaled,
// and its factor 1 + 2^-49.
constexpr double kCheapHypotSmallest = 0x1p-450;
constexpr double kCheapHypotLargest = 0x1p500;
constexpr double kCheapHypotSmallestScaled = 0x1p-1020;
constexpr double kCheapHypotSlack = 1.0 + 0x1p-49;

// The computed values of one expression over a box (2 above): every value that is not NaN lies
// in [lo, hi]; `nan` says whether NaN can occur too.
struct Span {
    double lo;
    double hi;
    bool nan;
};

inline Span checked(double lo, double hi, bool nan) {
    if (std::isnan(lo) || std::isnan(hi)) {
        return {-kInfinity, kInfinity, true};
    }
    return {lo, hi, nan};
}

// The operations on spans come in two kinds. Ordinary ones serve queries where no NaN can occur
// (8 above) and skip the checks; the others carry the flag and widen where an end is NaN.

// fl(c - p) for p in [low, high], all finite: decreasing in p, never NaN.
[[gnu::always_inline]] inline Span difference_from(double c, double low, double high) {
    return {c - high, c - low, false};
}

[[gnu::always_inline]] inline Span negated(Span a) {
    return {-a.hi, -a.lo, a.nan};
}

template <bool Ordinary>
[[gnu::always_inline]] inline Span plus(Span a, Span b) {
    if constexpr (Ordinary) {
        return {a.lo + b.lo, a.hi + b.hi, false};
    } else {
        const bool nan = a.nan || b.nan || (a.hi == kInfinity && b.lo == -kInfinity) ||
                         (a.lo == -kInfinity && b.hi == kInfinity);
        return checked(a.lo + b.lo, a.hi + b.hi, nan);
    }
}

template <bool Ordinary>
[[gnu::always_inline]] inline Span times(Span a, double c) {
    if constexpr (Ordinary) {
        return c >= 0.0 ? Span{a.lo * c, a.hi * c, false} : Span{a.hi * c, a.lo * c, false};
    } else {
        const bool nan = a.nan || (c == 0.0 && (std::isinf(a.lo) || std::isinf(a.hi))) ||
                         (std::isinf(c) && a.lo <= 0.0 && a.hi >= 0.0);
        if (c >= 0.0) {
            return checked(a.lo * c, a.hi * c, nan);
        }
        return checked(a.hi * c, a.lo * c, nan);
    }
}

// a / c for a fixed c >= 0 (+0 and +inf included).
template <bool Ordinary>
[[gnu::always_inline]] inline Span over(Span a, double c) {
    if constexpr (Ordinary) {
        return {a.lo / c, a.hi / c, false};
    } else {
        const bool nan = a.nan || (c == 0.0 && a.lo <= 0.0 && a.hi >= 0.0) ||
                         (std::isinf(c) && (std::isinf(a.lo) || std::isinf(a.hi)));
        return checked(a.lo / c, a.hi / c, nan);
    }
}

// The largest magnitude of a value of the span that is not NaN.
[[gnu::always_inline]] inline double magnitude(Span a) {
    return std::max(std::fabs(a.lo), std::fabs(a.hi));
}

// The largest |c.x - x| and |c.y - y| over the points (x, y) of a box, as computed: by 1, no
// point's rounded difference from c exceeds them.
[[gnu::always_inline]] inline Coordinate largest_offsets(const NodeBox& box, Coordinate c) {
    return {magnitude(difference_from(c.x, box.min_x, box.max_x)),
            magnitude(difference_from(c.y, box.min_y, box.max_y))};
}

// U |dx| and V |dy| as computed, from a box's largest offsets from s: by 1, no point's products
// in its numerator of r exceed them (12 and 13 above).
inline Coordinate products_of_r(const DistanceToSegment& distance, Coordinate offsets) {
    return {offsets.x * std::fabs(distance.dx()), offsets.y * std::fabs(distance.dy())};
}

// x * 2^e, the value of std::ldexp(x, e), without a call into the math library on the bounds'
// hot path: where 2^e is a normal double, the product is exact or rounded once, to the same
// nearest double as ldexp rounds x * 2^e to (at an overflow both give the infinity, at an
// underflow the same subnormal or zero).
inline double times_two_to(double x, int e) {
    if (e >= -1022 && e <= 1023) [[likely]] {
        return x * std::bit_cast<double>(static_cast<std::uint64_t>(e + 1023) << 52);
    }
    return std::ldexp(x, e);
}

// std::ilogb(x), read from the bits where x is normal.
inline int binary_exponent(double x) {
    const auto biased = static_cast<int>((std::bit_cast<std::uint64_t>(x) >> 52) & 0x7ff);
    return biased != 0 && biased != 0x7ff ? biased - 1023 : std::ilogb(x);
}

// The cheap bound of 5 on hypot(a, b) over |a| <= big_a, |b| <= big_b, and the root it is
// taken from; none outside its range (from 2^-1020 to the overflow).
struct CheapHypot {
    double root;
    double bound;
};
inline std::optional<CheapHypot> cheap_hypot_bound(double big_a, double big_b) {
    const double larger = std::max(big_a, big_b);
    // Above 2^500 it is computed on the values times 2^-600 (5 above).
    const bool scaled = larger > kCheapHypotLargest && larger < kInfinity;
    if (!scaled && !(larger >= kCheapHypotSmallest && larger <= kCheapHypotLargest)) {
        // Below 2^-450, on the values times 2^600: the rarest, kept off the common path.
        if (larger < kCheapHypotSmallest && larger >= kCheapHypotSmallestScaled) {
            const double a = big_a * 0x1p600;
            const double b = big_b * 0x1p600;
            const double root = std::sqrt(a * a + b * b) * 0x1p-600;
            return CheapHypot{root, root * kCheapHypotSlack};
        }
        return std::nullopt;
    }
    const double a = scaled ? big_a * 0x1p-600 : big_a;
    const double b = scaled ? big_b * 0x1p-600 : big_b;
    const double root_of_sum = std::sqrt(a * a + b * b);
    const double root = scaled ? root_of_sum * 0x1p600 : root_of_sum;
    return CheapHypot{root, root * kCheapHypotSlack};
}

// An upper bound on hypot(a, b) over |a| <= big_a, |b| <= big_b (5 above). `limit` is the value
// at or below which the caller drops the box: the tight bound is computed only when it could
// decide that where the cheap one cannot.
inline double hypot_bound(double big_a, double big_b, double limit) {
    const std::optional<CheapHypot> cheap = cheap_hypot_bound(big_a, big_b);
    if (cheap && !(cheap->bound > limit && cheap->root <= limit)) {
        return cheap->bound;
    }
    return std::nextafter(hypotenuse(big_a, big_b), kInfinity);
}

// Whether fl(a + b) can be finite for values of the two spans (10 above).
inline bool may_sum_to_finite(Span a, Span b) {
    constexpr double kLargest = std::numeric_limits<double>::max();
    if (!(a.lo <= kLargest && a.hi >= -kLargest && b.lo <= kLargest && b.hi >= -kLargest)) {
        return false;
    }
    const double lowest = std::max(a.lo, -kLargest) + std::max(b.lo, -kLargest);
    const double highest = std::min(a.hi, kLargest) + std::min(b.hi, kLargest);
    return lowest <= kLargest && highest >= -kLargest;
}

// Which branches the points of a node may take (3 above).
struct Branches {
    bool start;
    bool end;
    bool line;
};

inline Branches possible_branches(Span r) {
    return {r.lo <= 0.0, r.hi >= 1.0, r.nan || (r.lo < 1.0 && r.hi > 0.0)};
}

// The bounds of the branches that the points of a node may take, as the box gives them and as
// its hull and the exact distances narrow them.
struct Reach {
    Branches branches;
    double to_start;
    double to_end;
    double to_line;
    double start_size;  // |s.x - p.x| + |s.y - p.y| at most, over the box
    // Whether to_start is the bound of the hull's farthest vertex from s, uncut (7 above)
    bool start_from_vertex = false;

    double bound() const {
        return std::max({branches.start ? to_start : 0.0, branches.end ? to_end : 0.0,
                         branches.line ? to_line : 0.0});
    }
};

// The bound on the line branch from a span of the numerator of q (4 above).
template <bool Ordinary>
double line_bound(Span numerator, double len2, double length) {
    const double line = magnitude(over<Ordinary>(numerator, len2)) * length;
    return std::isnan(line) ? kInfinity : line;
}

}  // namespace guard_bounds

}  // namespace quorvel
