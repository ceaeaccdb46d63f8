#!/usr/bin/perl
# Fails when a text that the plug-in can show its user is missing from the
# user guide.  usage: perl GuideMessages.pl SOURCE_ROOT GUIDE
#
# The texts are the string literals that reach a message box or a status line
# (the calls in %shows, with the argument positions that carry text): given
# there directly, or through a string variable assigned earlier in the same
# function; and every question of a dialog template (a static text ending in
# "?"). A text is checked line by line; lines of fewer than four characters
# (", ") are left out. A new way of showing text is one more entry in %shows.
use strict;
use warnings;

my %shows = (
    'ShowMessage'                 => [1, 2],    # text, caption
    'm_stWarning.SetWindowTextA'  => [0],
    'm_stAssigned.SetWindowTextA' => [0],
);
my @layers = qw(base host library script ui core module);

my ($root, $guide_file) = @ARGV;
die "usage: perl GuideMessages.pl SOURCE_ROOT GUIDE\n" unless defined $guide_file;

my $string = qr/"(?:[^"\\]|\\.)*"/;
my $parens;
$parens = qr/\((?:[^()"]++|$string|(??{$parens}))*\)/;

sub literals { my ($text) = @_; return map { substr($_, 1, -1) } $text =~ /($string)/g }

# The arguments of a call, split at the commas outside parentheses and strings.
sub arguments {
    my ($call) = @_;
    my @args = ('');
    my $depth = 0;
    for my $piece ($call =~ /($string|[(),]|[^(),"]+)/g) {
        if ($piece eq ',' && $depth == 1) { push @args, ''; next }
        $depth++ if $piece eq '(';
        $depth-- if $piece eq ')';
        $args[-1] .= $piece if $depth > 1 || ($depth == 1 && $piece ne '(');
    }
    return @args;
}

my @texts;    # [text, where]
sub found {
    my ($where, @strings) = @_;
    for my $s (@strings) {
        $s =~ s/\\"/"/g;
        $s =~ s/\\\\/\\/g;
        for my $line (split /\\n/, $s) {
            $line =~ s/^\s+|\s+$//g;
            push @texts, [$line, $where] if length $line >= 4;
        }
    }
}

for my $layer (@layers) {
    for my $file (sort glob("$root/$layer/*.cpp $root/$layer/*.h $root/$layer/*.rc")) {
        open my $in, '<', $file or die "$file: $!\n";
        my $source = do { local $/; <$in> };
        close $in;
        (my $name = $file) =~ s/^\Q$root\E\/?//;
        for my $call (sort keys %shows) {
            while ($source =~ /(?<!\w)\Q$call\E\s*($parens)/g) {
                my ($args, $at) = ($1, $-[0]);
                my $where = "$name:" . (1 + (() = substr($source, 0, $at) =~ /\n/g));
                my @args = arguments($args);
                for my $i (@{ $shows{$call} }) {
                    my $arg = $args[$i] // next;
                    if ($arg =~ /"/) { found($where, literals($arg)); next }
                    # A variable: the literals of its assignments since the function began.
                    my ($var) = $arg =~ /^\s*(\w+)/ or next;
                    my $before = substr($source, 0, $at);
                    $before =~ s/.*\n\}[^\n]*\n//s;
                    found($where, literals($1)) while $before =~ /\b\Q$var\E\s*\+?=(?!=)([^;]*);/g;
                }
            }
        }
        if ($file =~ /\.rc$/) {
            while ($source =~ /^\s*LTEXT\s+"((?:[^"]|"")*\?)"/mg) {
                my ($question, $at) = ($1, $-[0]);
                found("$name:" . (1 + (() = substr($source, 0, $at) =~ /\n/g)), $question);
            }
        }
    }
}

open my $in, '<', $guide_file or die "$guide_file: $!\n";
my $guide = do { local $/; <$in> };
close $in;
$guide =~ s/\s+/ /g;

my %seen;
my @missing = grep { !$seen{ $_->[0] }++ && index($guide, $_->[0]) < 0 } @texts;
print "missing from the guide: \"$_->[0]\" ($_->[1])\n" for @missing;
die "no texts found under $root\n" unless @texts;
exit 1 if @missing;
printf "%d texts, every one in the guide\n", scalar keys %seen;
