#!/usr/bin/perl
# The differential tests' oracle: reads cases, one a line, "ID<TAB>FLAGS<TAB>PATTERN<TAB>SUBJECT"
# with PATTERN and SUBJECT in hexadecimal and FLAGS among "i", "m", "s", "g" (or "-"), matches
# each pattern once against its subject and writes "ID<TAB>match<TAB>B,E..." (one B,E per
# group, "-" for a group that took no part), "ID<TAB>nomatch" or "ID<TAB>error". With "g" it
# walks every match as //g does (no empty match where the previous match ended) and writes
# "ID<TAB>all" followed by a tab and B,E for each whole match.
# Pattern and subject are byte strings (never UTF-8), so Perl's native rules apply: \d, \s,
# \w, the POSIX classes and case folding keep to ASCII, and bytes above 127 have no class and
# no other case, as in the engine under test. (/a or /u would fold the bytes above 127.)
use strict;
no warnings;

binmode(STDIN);
binmode(STDOUT);
while (my $line = <STDIN>) {
  chomp($line);
  my ($id, $flags, $patternHex, $subjectHex) = split(/\t/, $line, -1);
  my $pattern = pack('H*', $patternHex);
  my $subject = pack('H*', $subjectHex);
  $flags = '' if $flags eq '-';
  my $global = $flags =~ s/g//g;
  my $source = $flags eq '' ? $pattern : "(?$flags)$pattern";
  my $re = eval { qr/$source/ };
  if (!defined($re)) {
    print("$id\terror\n");
    next;
  }
  if ($global) {
    my @matches;
    while ($subject =~ /$re/g) {
      push(@matches, "\t$-[0],$+[0]");
    }
    print("$id\tall", @matches, "\n");
  } elsif ($subject =~ $re) {
    my @groups;
    for my $i (0 .. $#+) {
      push(@groups, defined($-[$i]) ? "$-[$i],$+[$i]" : '-');
    }
    print("$id\tmatch\t", join("\t", @groups), "\n");
  } else {
    print("$id\tnomatch\n");
  }
}
