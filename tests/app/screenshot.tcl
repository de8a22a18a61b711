# Quillet sample: counts the words of a file
proc count_words {fileName} {
	set counts [dict create]
	set channel [open $fileName r]
	foreach line [split [read $channel] "\n"] {
		foreach word $line {
			dict incr counts [string tolower $word]
		}
	}
	close $channel; return $counts
}

set total 0
set counts [count_words [lindex $argv 0]]
dict for {word n} $counts {
	incr total $n
	puts "$word: $n (running total $total)"
}
puts "Escaped \$total is not a variable; ${total} shows only its dollar"
  # an indented hash is not a comment line: $total stays red
if {$total > 100} {puts stderr "a long file"}
