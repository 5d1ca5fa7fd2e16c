# The impedance conversion as a lab would script it, for comparison with
# quillmere-convert at its default area of 1.0: after the header line, each
# comma-separated row with "EIS" in field 2 (0-based) gives its fields 6, 9
# and the negated field 10 as "%f %f %f", CR LF ended; the first row without
# "EIS" ends the file. Run with LC_ALL=C.
#
# It reads the input as it is, without the control-byte filter, so it gives
# the same bytes only for inputs without empty lines or control bytes (the
# generated benchmark inputs). The CR of each line stays in the last field,
# where the number conversion ignores it.
BEGIN { FS = "," }
NR == 1 { next }
index($3, "EIS") == 0 {
    print "Can't find EIS data in the current file!" > "/dev/stderr"
    exit
}
{ printf "%f %f %f\r\n", $7, $10, $11 * -1 }
