#!/usr/bin/perl
# Turns the JSON output of qm_regex_bench into Markdown tables, one per text: MB/s (10^6
# bytes per second) per pattern and engine, the match count (one number when every engine
# that ran agrees), and the ratio of the best peer's time to ours (qm_pattern): above 1 we
# are faster. Then the geometric mean of that ratio and the patterns below 0.5.
use strict;
use warnings;
use JSON::PP;
use List::Util qw(max sum);

my $file = shift or die "usage: format_table.pl RESULTS.json\n";
open(my $in, '<', $file) or die "cannot read $file: $!\n";
my $data = decode_json(do { local $/; <$in> });
close($in);

my @peers = qw(pcre2_jit re2 boost pcre2);
my (@texts, %patterns, @engines, %speed, %matches, %seenText, %seenPattern, %seenEngine);
for my $b (@{ $data->{benchmarks} }) {
  my ($pattern, $text, $engine) = $b->{name} =~ m{^(.*)@(.*)/(.*)$} or next;
  push @texts, $text unless $seenText{$text}++;
  push @{ $patterns{$text} }, $pattern unless $seenPattern{$text}{$pattern}++;
  push @engines, $engine unless $seenEngine{$engine}++;
  next if $b->{error_occurred};
  $speed{$text}{$pattern}{$engine} = $b->{bytes_per_second} / 1e6;
  $matches{$text}{$pattern}{$engine} = $b->{matches};
}

my (@ratios, @behind);
for my $t (@texts) {
  print "\n### $t\n\n";
  print "| pattern | matches | ", join(' | ', @engines), " | best peer / ours |\n";
  print "|---|---:|", join('', map { '---:|' } @engines), "---:|\n";
  for my $p (@{ $patterns{$t} }) {
    my $row = $speed{$t}{$p};
    my %counts = map { $matches{$t}{$p}{$_} => 1 } grep { defined $matches{$t}{$p}{$_} } @engines;
    my $count = join('/', sort { $a <=> $b } keys %counts);
    my $best = max(map { $row->{$_} // 0 } @peers);
    my $ratio = $best && $row->{qm_pattern} ? $row->{qm_pattern} / $best : undef;
    if (defined $ratio) {
      push @ratios, $ratio;
      push @behind, sprintf('%s@%s %.2f', $p, $t, $ratio) if $ratio < 0.5;
    }
    print "| $p | $count | ",
        join(' | ', map { defined $row->{$_} ? sprintf('%.0f', $row->{$_}) : '-' } @engines),
        " | ", defined $ratio ? sprintf('%.2f', $ratio) : '-', " |\n";
  }
}
exit 0 unless @ratios;
my $geomean = exp(sum(map { log } @ratios) / @ratios);
printf "\nGeometric mean of best peer's time / ours over %d pattern-text pairs: %.2f\n", scalar @ratios, $geomean;
print "Below 0.5: ", (@behind ? join(', ', @behind) : 'none'), "\n";
