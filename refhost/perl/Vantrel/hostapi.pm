# Stand-in for the host's Perl API: simulated documents and a trace of every
# call an action script makes, for the reference host and the tests.
#
# The simulation reads its state from the file named by MIMIC_HOST_STATE,
# one fact a line, fields separated by tabs and encoded as in the trace:
#   open <cookie> <file>     a document open under that cookie
#   file <file>              a file that can be opened ("*": any file)
#   unopenable <file>        a file that exists but cannot be opened
#   console 0|1              whether the output console can be reached (default 1)
# Every call is written to the file named by MIMIC_HOST_TRACE (standard
# error when unset), one line a call: the function's name, each argument and,
# after "->", the result. Text is written byte for byte except that
# backslash, tab, line feed, carriage return and other control bytes are
# escaped (\\ \t \n \r \xHH); a document is \D<cookie>, the console \C,
# undef \U.
package Vantrel::hostapi;

use strict;
use warnings;
use Vantrel::ID ();

our $VERSION = '1.00';

my %open_by_cookie;   # cookie -> document
my %openable;         # file -> 1
my %unopenable;       # file -> 1
my $any_file = 0;
my $console = 1;
my $next_cookie = 1000;
my $trace_fh;

sub decode_field
{
    my ($text) = @_;
    $text =~ s/\\(x([0-9A-Fa-f]{2})|.)/
        defined $2 ? chr(hex $2) : $1 eq 'n' ? "\n" : $1 eq 't' ? "\t" : $1 eq 'r' ? "\r" : $1/ge;
    return $text;
}

sub encode_field
{
    my ($value) = @_;
    return '\\U' unless defined $value;
    if (ref $value)
    {
        return '\\D' . $value->{cookie} if ref $value eq 'Vantrel::hostapi::Document';
        return '\\C' if ref $value eq 'Vantrel::hostapi::Console';
        return '\\O' . ref $value;
    }
    my $text = "$value";
    $text =~ s/([\\\x00-\x1f\x7f])/
        $1 eq '\\' ? '\\\\' : $1 eq "\n" ? '\\n' : $1 eq "\t" ? '\\t' : $1 eq "\r" ? '\\r' : sprintf('\\x%02X', ord $1)/ge;
    return $text;
}

sub load_state
{
    my $path = $ENV{MIMIC_HOST_STATE};
    return unless defined $path && length $path;
    open my $fh, '<:raw', $path or die "Vantrel::hostapi: cannot read state $path: $!\n";
    while (my $line = <$fh>)
    {
        $line =~ s/\r?\n\z//;
        next if $line eq '' || $line =~ /^#/;
        my ($what, @args) = map { decode_field($_) } split /\t/, $line, -1;
        if ($what eq 'open')
        {
            my ($cookie, $file) = @args;
            $open_by_cookie{$cookie} = Vantrel::hostapi::Document->new($cookie, $file);
        }
        elsif ($what eq 'file')
        {
            if ($args[0] eq '*') { $any_file = 1 } else { $openable{$args[0]} = 1 }
        }
        elsif ($what eq 'unopenable') { $unopenable{$args[0]} = 1 }
        elsif ($what eq 'console')    { $console = $args[0] ? 1 : 0 }
        else { die "Vantrel::hostapi: unknown state line: $line\n" }
    }
    close $fh;
}

sub trace
{
    my ($name, $result, @args) = @_;
    unless ($trace_fh)
    {
        my $path = $ENV{MIMIC_HOST_TRACE};
        if (defined $path && length $path)
        {
            open $trace_fh, '>>:raw', $path or die "Vantrel::hostapi: cannot write trace $path: $!\n";
        }
        else
        {
            $trace_fh = \*STDERR;
        }
        my $old = select $trace_fh;
        $| = 1;
        select $old;
    }
    print {$trace_fh} join("\t", $name, map({ encode_field($_) } @args), '->', encode_field($result)), "\n";
    return $result;
}

sub find_open_by_file
{
    my ($file) = @_;
    return undef unless defined $file;
    for my $cookie (sort { $a <=> $b } keys %open_by_cookie)
    {
        return $open_by_cookie{$cookie} if $open_by_cookie{$cookie}{file} eq $file;
    }
    return undef;
}

sub connect_by_file
{
    my ($clsid, $file, $text, $iid) = @_;
    return trace('ConnectDocumentPlugIn', find_open_by_file($file), @_);
}

sub connect_by_cookie
{
    my ($cookie, $iid) = @_;
    my $doc = defined $cookie ? $open_by_cookie{$cookie} : undef;
    return trace('ConnectDocumentPlugInWithCookie', $doc, @_);
}

sub open_document
{
    my ($clsid, $value, $file, $text2, $text3, $iid) = @_;
    my $doc;
    if (defined $file && !$unopenable{$file} && ($any_file || $openable{$file}))
    {
        $doc = Vantrel::hostapi::Document->new($next_cookie++, $file);
        $open_by_cookie{$doc->{cookie}} = $doc;
    }
    return trace('OpenDocumentPlugIn', $doc, @_);
}

sub close_document
{
    my ($doc, $flag) = @_;
    my $closed = 0;
    if (ref $doc eq 'Vantrel::hostapi::Document' && $open_by_cookie{$doc->{cookie}})
    {
        delete $open_by_cookie{$doc->{cookie}};
        $closed = 1;
    }
    return trace('CloseDocumentPlugIn', $closed, @_);
}

sub connect_plugin
{
    my ($clsid, $iid) = @_;
    my $plugin;
    $plugin = Vantrel::hostapi::Console->new() if $console && $clsid eq Vantrel::ID::CLSID_OutputPlugIn();
    return trace('ConnectPlugIn', $plugin, @_);
}

sub close_plugin
{
    return trace('ClosePlugIn', 1, @_);
}

load_state();

package Vantrel::hostapi::Document;

sub new
{
    my ($class, $cookie, $file) = @_;
    return bless { cookie => $cookie, file => $file }, $class;
}

sub ExecuteCommand
{
    my ($self, @args) = @_;
    return Vantrel::hostapi::trace('ExecuteCommand', 1, $self, @args);
}

sub Release
{
    my ($self) = @_;
    return Vantrel::hostapi::trace('Release', 1, $self);
}

package Vantrel::hostapi::Console;

sub new
{
    return bless {}, shift;
}

sub PrintString
{
    my ($self, @args) = @_;
    return Vantrel::hostapi::trace('PrintString', 1, $self, @args);
}

1;
