#!/usr/bin/perl
# Turns the JSON output of qm_regex_bench into Markdown tables: MB/s (10^6 bytes per second)
# per pattern and engine with the match counts, then the ratios of this engine's two
# columns to each peer and the goal check.
use strict;
use warnings;
use JSON::PP;

my $file = shift or die "usage: format_table.pl RESULTS.json\n";
open(my $in, '<', $file) or die "cannot read $file: $!\n";
my $data = decode_json(do { local $/; <$in> });
close($in);

my (@patterns, @engines, %speed, %matches, %seenPattern, %seenEngine);
for my $b (@{ $data->{benchmarks} }) {
  my ($pattern, $engine) = split m{/}, $b->{name}, 2;
  push @patterns, $pattern unless $seenPattern{$pattern}++;
  push @engines, $engine unless $seenEngine{$engine}++;
  next if $b->{error_occurred};
  $speed{$pattern}{$engine} = $b->{bytes_per_second} / 1e6;
  $matches{$pattern}{$engine} = $b->{matches};
}

my @ours = grep { /^qm_/ } @engines;
my @peers = grep { !/^qm_/ } @engines;

print "| pattern | matches | ", join(' | ', @engines), " |\n";
print "|---|---:|", join('', map { '---:|' } @engines), "\n";
for my $p (@patterns) {
  my %counts = map { (defined $_ ? $_ : '-') => 1 } map { $matches{$p}{$_} } @engines;
  my $count = join('/', sort keys %counts);
  print "| $p | $count | ",
      join(' | ', map { defined $speed{$p}{$_} ? sprintf('%.0f', $speed{$p}{$_}) : '-' } @engines),
      " |\n";
}
exit 0 unless @ours;

print "\nRatios (this engine's speed divided by the peer's; above 1 is faster):\n\n";
print "| pattern | ours | ", join(' | ', map { "vs $_" } @peers), " | goals |\n";
print "|---|---|", join('', map { '---:|' } @peers), "---|\n";
for my $p (@patterns) {
  for my $o (@ours) {
    my $mine = $speed{$p}{$o};
    next unless defined $mine;
    my @cells = map { defined $speed{$p}{$_} ? sprintf('%.2f', $mine / $speed{$p}{$_}) : '-' } @peers;
    print "| $p | $o | ", join(' | ', @cells), " | ", Goals($mine, $speed{$p}), " |\n";
  }
}

# "met" when at least as fast as the faster of Boost and the PCRE2 interpreter and at least
# half as fast as the PCRE2 JIT; otherwise names the goal that is missed.
sub Goals {
  my ($mine, $row) = @_;
  my @missed;
  my $interp = 0;
  for my $peer ('boost', 'pcre2') {
    $interp = $row->{$peer} if defined $row->{$peer} && $row->{$peer} > $interp;
  }
  push @missed, 'slower than boost/pcre2' if $mine < $interp;
  push @missed, 'under half of pcre2_jit' if defined $row->{pcre2_jit} && $mine < $row->{pcre2_jit} / 2;
  return @missed ? join(', ', @missed) : 'met';
}
