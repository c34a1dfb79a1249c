#!/bin/sh
# report.sh W OUT ROUNDS SECONDS LOAD CPUS: the runner's figures in W as
# OUT/results.md (printed too), and the chart of times as OUT/time.png.
set -eu
W=$1 OUT=$2 ROUNDS=$3 SECS=$4 LOAD=$5 CPUS=$6

awk -F'\t' -v OFS='\t' '
	FILENAME == ARGV[1] { s[$1] = $2 OFS $3 OFS $4 OFS $5; next }
	FILENAME == ARGV[2] { m[$1] = $2 OFS $3; next }
	{ print $1, s[$1], m[$1], $2, $3 }
' "$W/static" "$W/rss" "$W/time" >"$W/all"

awk -F'\t' -v rounds="$ROUNDS" -v secs="$SECS" -v load="$LOAD" -v cpus="$CPUS" \
    -v date="$(date -u '+%Y-%m-%d %H:%M UTC')" -v kernel="$(uname -r)" '
function label(n,   w) {
	if(n == "exit") return "floor: exit only"
	w = n; sub(/^(mount|link)-(ok|fail)-/, "", w)
	if(w == "floor") return "floor: the one call"
	if(w == "ours") return (n ~ /^mount/ ? "**pidmount** -m DIR" : "**fdlink** -m PATH")
	if(w == "util-linux") return "util-linux mount -t proc proc DIR"
	if(w == "coreutils") return "coreutils ln -s /proc/self/fd PATH"
	return w (n ~ /^mount/ ? " mount -t proc proc DIR" : " ln -s /proc/self/fd PATH")
}
function path(n) {
	if(n ~ /^mount-ok/) return "mount"
	if(n ~ /^mount-fail/) return "mount, no such directory"
	if(n ~ /^link-ok/) return "link"
	if(n ~ /^link-fail/) return "link, entry exists"
	return "start-up"
}
function floorof(n) { return n == "exit" ? "exit" : substr(n, 1, match(n, /-(ok|fail)-/) + RLENGTH - 1) "floor" }
function kib(c) { return rss[c] == rssmax[c] ? rss[c] : rss[c] " (" rssmax[c] ")" }
function verdict(ok) { return ok ? "holds" : "**over**" }
{
	n[NR] = $1; sys[$1] = $2; ins[$1] = $3; size[$1] = $4; link[$1] = $5
	rss[$1] = $6; rssmax[$1] = $7; us[$1] = $8; ratio[$1] = $9
}
END {
	printf "Measured %s on Linux %s, %d CPUs, load average %s (other work ran beside it);\n", date, kernel, cpus, load
	printf "%d interleaved rounds in %d s.  Time: median over the rounds; x floor: median of the per-round ratios.\n", rounds, secs
	printf "Peak RSS: median of 15 runs, the largest in parentheses where it differs; the budget is held to the largest.\n\n"
	print "| path | command | time per run (µs) | x floor | system calls | instructions | x floor | peak RSS (KiB) | stripped size (bytes) | linking |"
	print "| --- | --- | ---: | ---: | ---: | ---: | ---: | ---: | ---: | --- |"
	for(i = 1; i <= NR; i++){
		c = n[i]; f = floorof(c)
		printf "| %s | %s | %.1f | %.3f | %d | %d | %.2f | %s | %d | %s |\n", path(c), label(c), us[c], ratio[c], sys[c], ins[c], ins[c] / ins[f], kib(c), size[c], link[c]
	}
	print ""
	print "Budgets for ours:"
	print ""
	print "| path | system calls | time, x floor | instructions, x floor | peak RSS | stripped size |"
	print "| --- | --- | --- | --- | --- | --- |"
	split("mount-ok mount-fail link-ok link-fail", p, " ")
	for(i = 1; i <= 4; i++){
		c = p[i] "-ours"; f = p[i] "-floor"; fails = p[i] ~ /fail/
		printf "| %s %s | %d of %d: %s | %.3f of 1.03: %s | %.2f of %.1f: %s | %d of 32 KiB: %s | %d of 16384: %s |\n", \
			(p[i] ~ /^mount/ ? "pidmount" : "fdlink"), (fails ? "fails" : "succeeds"), \
			sys[c], 5 + fails, verdict(sys[c] <= 5 + fails), \
			ratio[c], verdict(ratio[c] <= 1.03), \
			ins[c] / ins[f], (fails ? 2 : 1.2), verdict(ins[c] / ins[f] <= (fails ? 2 : 1.2)), \
			rssmax[c], verdict(rssmax[c] <= 32), size[c], verdict(size[c] <= 16384)
	}
}' "$W/all" >"$OUT/results.md"
cat "$OUT/results.md"

# the chart: one group of bars a path
awk -F'\t' '
	{ p = $1; if(match(p, /-(ok|fail)-/)) p = substr(p, 1, RSTART + RLENGTH - 2); w = $1; sub(/^(mount|link)-(ok|fail)-/, "", w) }
	p != "exit" { t[p, w] = $8; if(!(p in seen)){ seen[p] = 1; order[++np] = p } }
	END {
		name["mount-ok"] = "mount"; name["mount-fail"] = "mount, no directory"
		name["link-ok"] = "link"; name["link-fail"] = "link, entry exists"
		print "path\tfloor\tours\tutil-linux/coreutils\tbusybox\ttoybox"
		for(i = 1; i <= np; i++){
			p = order[i]; peer = p ~ /^mount/ ? "util-linux" : "coreutils"
			printf "\"%s\"\t%s\t%s\t%s\t%s\t%s\n", name[p], t[p, "floor"], t[p, "ours"], t[p, peer], t[p, "busybox"], t[p, "toybox"]
		}
	}' "$W/all" >"$W/chart.dat"
gnuplot <<-END
	set terminal pngcairo size 900,480 font "sans,11" noenhanced
	set output "$OUT/time.png"
	set title "median time per run, microseconds (fork, exec, the call, exit, wait)"
	set style data histograms
	set style histogram clustered gap 1
	set style fill solid 0.85 border -1
	set boxwidth 0.9
	set key inside top center horizontal
	set yrange [0:*]
	set offsets 0, 0, graph 0.12, 0
	set grid ytics
	set ylabel "µs"
	plot for [i=2:6] "$W/chart.dat" using i:xtic(1) title columnheader(i)
END
echo "bench: wrote $OUT/results.md and $OUT/time.png" >&2
