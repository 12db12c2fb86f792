#!/usr/bin/perl
# read-rcdata.pl EXE ID OUTPUT: writes the data of RT_RCDATA resource ID of the Windows
# executable EXE (the first language it carries) to OUTPUT. scripts/release.sh reads the two
# packages back out of the setup program it made; the release tests do the same. It walks the
# executable's own headers and resource directory, so it reads a signed file as Windows does:
# the signature appended at the end is no part of any section.
use strict;
use warnings;

@ARGV == 3 or die "usage: read-rcdata.pl EXE ID OUTPUT\n";
my ($path, $wanted, $output) = @ARGV;
open(my $in, '<:raw', $path) or die "read-rcdata.pl: $path: $!\n";
my $exe = do { local $/; <$in> };
close $in;

sub fail { die "read-rcdata.pl: $path: $_[0]\n"; }
sub u16 { my ($at) = @_; $at + 2 <= length $exe or fail('cut short'); unpack('v', substr($exe, $at, 2)) }
sub u32 { my ($at) = @_; $at + 4 <= length $exe or fail('cut short'); unpack('V', substr($exe, $at, 4)) }

u16(0) == 0x5a4d or fail('not a Windows executable');
my $pe = u32(0x3c);
u32($pe) == 0x4550 or fail('not a PE executable');
my $sections = u16($pe + 6);
my $optional = $pe + 24;
my $magic = u16($optional);
my $directories = $optional + ($magic == 0x20b ? 112 : 96);
my $resourceRva = u32($directories + 2 * 8);
$resourceRva or fail('no resources');

# A relative virtual address as a file offset, through the section that holds it.
sub file_offset {
  my ($rva) = @_;
  my $table = $optional + u16($pe + 20);
  for my $i (0 .. $sections - 1) {
    my $s = $table + 40 * $i;
    my ($size, $address, $rawSize, $raw) = (u32($s + 8), u32($s + 12), u32($s + 16), u32($s + 20));
    return $raw + $rva - $address if $rva >= $address && $rva - $address < $rawSize;
  }
  fail(sprintf('address 0x%x lies in no section', $rva));
}

my $root = file_offset($resourceRva);

# The entry with numeric ID `id` of the resource directory at `dir` (offset from the root); the
# first entry when `id` is undefined. Returns its offset field.
sub entry_of {
  my ($dir, $id, $what) = @_;
  my ($named, $ids) = (u16($root + $dir + 12), u16($root + $dir + 14));
  for my $i ($named .. $named + $ids - 1) {
    my $e = $root + $dir + 16 + 8 * $i;
    return u32($e + 4) if !defined $id || u32($e) == $id;
  }
  fail("no $what");
}

my $type = entry_of(0, 10, 'RT_RCDATA resources');
my $name = entry_of($type & 0x7fffffff, $wanted, "RT_RCDATA resource $wanted");
my $language = entry_of($name & 0x7fffffff, undef, "language of RT_RCDATA resource $wanted");
($type & $name & 0x80000000) && !($language & 0x80000000) or fail('malformed resource directory');
my ($dataRva, $dataSize) = (u32($root + $language), u32($root + $language + 4));
my $at = file_offset($dataRva);
$at + $dataSize <= length $exe or fail("RT_RCDATA resource $wanted runs past the end");

open(my $out, '>:raw', $output) or die "read-rcdata.pl: $output: $!\n";
print $out substr($exe, $at, $dataSize);
close $out or die "read-rcdata.pl: $output: $!\n";
