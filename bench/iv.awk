# The current-voltage conversion as a lab would script it, for comparison
# with quillmere-convert at its default area of 1.0: after the line holding
# "primary_data", one line is skipped, the next holds the point count, and
# each of the following points is written as "%f,%f,%f" with the second
# value times -1000, CR LF ended. Run with LC_ALL=C.
#
# It reads the input as it is, without the control-byte filter, so it gives
# the same bytes only for inputs without empty lines or control bytes after
# the marker (the generated benchmark inputs). The CR of each line stays in
# the last field, where the number conversion ignores it.
state == 0 {
    if (index($0, "primary_data")) state = 1
    next
}
state == 1 { state = 2; next }
state == 2 {
    count = int($1)
    if (count <= 0) exit
    state = 3
    next
}
{
    printf "%f,%f,%f\r\n", $1, $2 * -1000, $3
    if (++done == count) exit
}
